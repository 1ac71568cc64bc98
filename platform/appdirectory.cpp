#include "appdirectory.h"

#include <QCoreApplication>

namespace slonk {

QString applicationDirectory()
{
    return QCoreApplication::applicationDirPath();
}

} // namespace slonk
