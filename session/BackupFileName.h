#ifndef BACKUPFILENAME_H
#define BACKUPFILENAME_H

#include <QString>

// The file a backup is written to: in the folder of the file the user chose, that file's
// name with the camera's serial number and "_" put before it. The serial number is the
// camera's own text, so whatever in it could name another folder or cannot stand in a
// file name becomes "_".
QString BackupFileName(const QString &chosenFile, const QString &serialNumber);

// The text with whatever could name another folder or cannot stand in a file name made "_".
QString FileNameSafe(QString text);

#endif
