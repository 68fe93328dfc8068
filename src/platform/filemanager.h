#pragma once

#include <QString>

// Opens a file manager window with the file or folder at path selected. Where no file manager
// answers on the session bus, the folder that holds the item is opened instead. False when
// neither worked.
bool ShowInFileManager(const QString& path);
