#pragma once

#include <QString>

namespace slonk {

// The folder that holds the program file.
QString applicationDirectory();

// Where a data file of ours lies: beside the program, else in the installed data
// folder ../share/slonk; the path beside the program when neither holds it.
QString locateDataFile(const QString &programDirectory, const QString &fileName);

} // namespace slonk
