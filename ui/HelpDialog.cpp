#include "HelpDialog.h"

#include "FramelessWindow.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

const QString HelpPage = QStringLiteral(
    "<h3>Talvern</h3>"
    "<p>This tool is designed to allow you to manage the list of defective pixels a (compatible) Corvane camera will correct. The defective pixel correction algorithm is optimized to correct four or less consecutive defective pixels in a row. The maximum number of defective pixels that can be corrected is eight in a row. If more than the recommended four defective pixels are detected, they will be highlighted in yellow. Rows highlighted in red represent defective pixels coordinates that are outside of the correctable limits or sensor size.</p>"
    "<h3>Camera Connection Tab</h3>"
    "<p>This tab allows you to manage the connections to the Corvane cameras. The detected cameras available to the system will be listed here. This list is automatically refreshed when new cameras are discovered, however, the <strong>Refresh</strong> button may be used to force refresh. </p>"
    "<p>To connect to the desired camera, select the camera from the available list and press the <strong>Connect</strong> button. Note: the camera must support the DefectMaskEnable feature to use this tool. Please refer to the documentation for a list of supported camera models.</p>"
    "<h3>Camera DP List Tab</h3>"
    "<p>This tab allows you to manage the defective pixels that are currently stored in the camera. To download the defective pixel list currently stored on the camera, please ensure that a compatible Corvane camera has been connected and press the <strong>Download</strong> button. A list of defective pixels coordinates stored on the camera will be displayed.</p>"
    "<p>The <strong>Restore</strong> function provides a mechanism to load to a previously saved defective pixel binary file. The restore file must be from an identical camera model. This allows for easy switching between defective pixel configurations for various lighting and operating conditions.</p>"
    "<p>The <strong>Backup</strong> function will save a snapshot of the current defective pixel list that is stored on the camera. The backup file will be saved in binary format and should not be manually altered.</p>"
    "<p>The <strong>Revert</strong> function will return the camera defective pixel list to the original factory configuration. All user configured defective pixel coordinates will be removed.</p>"
    "<h3>User DP List Tab</h3>"
    "<p>This tab allows you to manage the user configurable defective pixel coordinates. Individual defective pixels coordinates can be added and removed to the list using the <strong>Add/Remove</strong> buttons.</p>"
    "<p>The <strong>Load</strong> function allows for a convenient way to quickly load multiple defective pixel coordinates from a file. The file must be in the CSV format with the header \"Row, Column\". Coordinate values must be in the range of [0,65535]. All other values or characters will be coerced to zero. Please refer to the documentation for further details. </p>"
    "<p>The <strong>Save</strong> function will save the current user defective pixel list as a CSV file. The <strong>Clear</strong> function will clear the displayed user defined list of defective pixels.</p>"
    "<p>The <strong>Upload</strong> function will save the list of user defective pixel coordinates to the camera. This function will detect if any uncorrectable or unrecommended defective pixels have been entered and highlight any rows that do not meet the criteria.</p>"
    "<p>Caution: Once you upload user defined defective pixel coordinates to the camera you cannot remove any defective pixels. You would need to revert the camera to camera back to the original factory configuration or load a previous camera defective pixel list backup.</p>");

} // namespace

HelpDialog::HelpDialog(QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , dragPosition(0, 0)
{
    ui.setupUi(this);
    FramelessWindow::Decorate(this, ui.helpFrame);
    ui.documentationLabel->setText(HelpPage);
    // On a small or scaled screen the page scrolls instead of running off the screen.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        resize(width(), qMin(height(), screen->availableGeometry().height()));
}

HelpDialog::~HelpDialog() = default;

void HelpDialog::mousePressEvent(QMouseEvent *event)
{
    FramelessWindow::BeginDrag(this, event, dragPosition);
}

void HelpDialog::mouseMoveEvent(QMouseEvent *event)
{
    FramelessWindow::Drag(this, event, dragPosition);
}
