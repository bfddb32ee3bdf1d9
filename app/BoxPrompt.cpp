#include "BoxPrompt.h"

#include <QApplication>
#include <QMessageBox>

void BoxPrompt::Warn(const QString &title, const QString &text)
{
    QMessageBox::warning(QApplication::activeWindow(), title, text, QMessageBox::Ok);
}

// Anything but an explicit Yes (No, or the box closed) is a no.
bool BoxPrompt::Ask(const QString &title, const QString &text)
{
    return QMessageBox::warning(QApplication::activeWindow(), title, text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::NoButton)
        == QMessageBox::Yes;
}
