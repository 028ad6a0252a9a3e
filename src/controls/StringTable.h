#pragma once

#include <QString>

// The numbered texts of the program's string table (tooltips, captions, menu items), each
// written once in StringTable.cpp. An unknown number gives an empty text.
namespace StringTable {

QString Load(int id);

} // namespace StringTable
