#include "store/guistore.h"

#include <QFontDatabase>
#include <QStringList>

bool HangulFontAvailable()
{
    return !QFontDatabase::families(QFontDatabase::Korean).isEmpty();
}
