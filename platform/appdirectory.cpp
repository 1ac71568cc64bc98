#include "appdirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace slonk {

QString applicationDirectory()
{
    return QCoreApplication::applicationDirPath();
}

QString locateDataFile(const QString &programDirectory, const QString &fileName)
{
    const QDir programDir(programDirectory);
    const QString beside = programDir.filePath(fileName);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed =
        QDir::cleanPath(programDir.filePath(QStringLiteral("../share/slonk/") + fileName));
    return QFileInfo::exists(installed) ? installed : beside;
}

} // namespace slonk
