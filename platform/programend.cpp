#include "programend.h"

#include <QCoreApplication>

namespace slonk {

void EventLoopEnd::end()
{
    QCoreApplication::exit(0);
}

} // namespace slonk
