#ifndef FILEDIALOGANSWER_H
#define FILEDIALOGANSWER_H

#include "WhenShown.h"

#include <QCursor>
#include <QFileDialog>
#include <QGuiApplication>

// Answers the next file dialog: selects `fileName` and accepts it, or cancels the dialog
// when the name is empty. Records what the dialog offered before it was answered.
class FileDialogAnswer
{
public:
    explicit FileDialogAnswer(const QString &fileName = QString())
        : shown([this, fileName](QFileDialog *dialog) {
              caption = dialog->windowTitle();
              directory = dialog->directory().absolutePath();
              filters = dialog->nameFilters();
              saving = dialog->acceptMode() == QFileDialog::AcceptSave;
              const QCursor *cursor = QGuiApplication::overrideCursor();
              waitCursor = cursor && cursor->shape() == Qt::WaitCursor;
              if (fileName.isEmpty()) {
                  dialog->reject();
                  return;
              }
              dialog->selectFile(fileName);
              QMetaObject::invokeMethod(dialog, "accept");
          })
    {
    }

    bool Answered() const { return shown.answered; }

    QString caption;
    QString directory;
    QStringList filters;
    bool saving = false;
    bool waitCursor = false;

private:
    WhenShown<QFileDialog> shown;
};

#endif
