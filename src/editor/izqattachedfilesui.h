#pragma once

#include "platform/fileoperation.h"

#include <QString>

// What the attached files panel asks the user: the file operation's replace questions and
// errors, and the confirmation before deleting.
class IzqAttachedFilesUi : public IzqFileOpUi {
public:
    // True for OK.
    virtual bool ConfirmDelete(const QString& question) = 0;
};
