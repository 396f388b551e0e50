// The Type column of files takes the desktop's names for kinds of file ("MP3 audio"), from
// shared-mime-info; an extension the desktop does not know keeps the generic form ("XYZ-File").
#pragma once

namespace shelfmark {

// Makes FileTypeName (and so every Type column) ask shared-mime-info; once per process, any
// thread.
void UseSystemFileTypeNames();

}  // namespace shelfmark
