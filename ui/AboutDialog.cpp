#include "AboutDialog.h"

#include "FramelessWindow.h"

namespace {

const QString ProgramVersion = QStringLiteral("v1.90");
const QString ToolkitVersion = QStringLiteral("5.5.1");
const QString ToolkitYear = QStringLiteral("2015");
const QString MakerHost = QStringLiteral("www.corvane.example");

} // namespace

AboutDialog::AboutDialog(const QString &sdkVersion, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , dragPosition(0, 0)
{
    ui.setupUi(this);
    FramelessWindow::Decorate(this, ui.aboutFrame);
    FillTexts(sdkVersion);
    // Wrapped texts take the height the system's font needs at this width.
    resize(width(), qMax(height(), heightForWidth(width())));
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::FillTexts(const QString &sdkVersion)
{
    ui.applicationHeaderLabel->setText(QStringLiteral("<h3>Corvane Talvern</h3>"));

    // All four arguments in one pass: a '%1' inside the SDK's text stays as it is.
    const QString application = QStringLiteral(
        "<p>Version: %1 <br>Zorvik API Version: %2</p>"
        "<p>Copyright %3 Corvane Imaging Systems. All rights reserved.<br>"
        "<a href=\"http://%4/\">%4</a></p>"
        "<hr>");
    ui.aboutApplicationLabel->setText(application.arg(ProgramVersion, sdkVersion, QString(QChar(0x00A9)), MakerHost));

    ui.qtHeaderLabel->setText(QStringLiteral("<h3>About Qt</h3><p>This program uses Qt version %1.</p>").arg(ToolkitVersion));

    const QString toolkit = QStringLiteral(
        "<p>Qt is a C++ toolkit for cross-platform application development.</p>"
        "<p>Qt provides single-source portability across all major desktop operating systems. "
        "It is also available for embedded Linux and other embedded and mobile operating systems.</p>"
        "<p>Qt is available under three different licensing options designed to accommodate "
        "the needs of its various users: a commercial license, and the GNU LGPL version 3 "
        "or version 2.1 for applications that can comply with their terms and conditions.</p>"
        "<p>Please see <a href=\"%2\">%2</a> for an overview of Qt licensing.</p>"
        "<p>Copyright (C) %1 The Qt Company Ltd and other contributors.</p>"
        "<p>Qt and the Qt logo are trademarks of The Qt Company Ltd.</p>"
        "<p>Qt is The Qt Company Ltd product developed as an open source project. "
        "See <a href=\"%3\">%3</a> for more information.</p>");
    ui.qtLabel->setText(toolkit.arg(ToolkitYear, QStringLiteral("https://www.qt.io/licensing/"),
                                    QStringLiteral("https://www.qt.io/")));
}

void AboutDialog::mousePressEvent(QMouseEvent *event)
{
    FramelessWindow::BeginDrag(this, event, dragPosition);
}

void AboutDialog::mouseMoveEvent(QMouseEvent *event)
{
    FramelessWindow::Drag(this, event, dragPosition);
}
