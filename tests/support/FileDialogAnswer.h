#ifndef FILEDIALOGANSWER_H
#define FILEDIALOGANSWER_H

#include "WhenShown.h"

#include <QCursor>
#include <QFileDialog>

// Answers the next file dialog: selects `fileName` and accepts it, or cancels the dialog
// when the name is empty. Records what the dialog offered: caption, start folder, filter,
// "open" or "save", and the cursor over it.
class FileDialogAnswer
{
public:
    explicit FileDialogAnswer(const QString &fileName = QString())
        : shown([this, fileName](QFileDialog *dialog) {
              const QCursor *cursor = QGuiApplication::overrideCursor();
              offered = QStringList{dialog->windowTitle(), dialog->directory().absolutePath(),
                                    dialog->nameFilters().join(";;"),
                                    dialog->acceptMode() == QFileDialog::AcceptSave ? "save" : "open",
                                    cursor && cursor->shape() == Qt::WaitCursor ? "wait cursor" : "arrow"};
              if (fileName.isEmpty())
                  return dialog->reject();
              dialog->selectFile(fileName);
              QMetaObject::invokeMethod(dialog, "accept");
          })
    {
    }

    QStringList offered;

private:
    WhenShown<QFileDialog> shown;
};

#endif
