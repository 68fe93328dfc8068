#pragma once

#include <QString>

// The note a new user finds in the default data directory the program has just made: what the
// program is and its main keys, so the first tree is not empty. CP949, CR LF, like every note.
inline constexpr auto WelcomeNoteName = u"zqQuillet 안내.htm";
void WriteWelcomeNote(const QString& dataDir);

// An installed program's templates are copied once into the user's own template folder, where
// the user may add more. Nothing happens when that folder exists already.
void SeedUserTemplates(const QString& shippedDir, const QString& userDir);
