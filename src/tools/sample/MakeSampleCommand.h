#pragma once

#include <QStringList>

// plomera-evidence make-sample DIR [options]: args are the words after "make-sample". Returns
// the exit code; errors go to stderr.
int MakeSampleCommand(const QStringList& args);
