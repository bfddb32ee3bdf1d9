#include "BackupFileName.h"

#include <QFileInfo>

namespace {

// Separators of both platforms, and what Windows refuses in a file name.
const QString ForbiddenCharacters = QStringLiteral("/\\<>:\"|?*");

} // namespace

QString FileNameSafe(QString text)
{
    for (QChar &character : text) {
        if (character.category() == QChar::Other_Control || ForbiddenCharacters.contains(character))
            character = QLatin1Char('_');
    }
    return text.replace(QStringLiteral(".."), QStringLiteral("_"));
}

QString BackupFileName(const QString &chosenFile, const QString &serialNumber)
{
    const QFileInfo chosen(chosenFile);
    return chosen.path() + QLatin1Char('/') + FileNameSafe(serialNumber) + QLatin1Char('_') + chosen.fileName();
}
