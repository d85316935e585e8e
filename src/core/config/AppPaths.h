#pragma once
// Where the program keeps its working files and where its delivered files are.
#include <QString>

// The application directory: $KBXT_HOME when set, else the per-user data
// directory. Holds kbxt.ini, the default kb.db and tmp.xml. Created on demand.
QString AppDir();
// The folder of the delivered files (empty database, picture, manual, print
// templates): share/kbxt beside the executable's bin folder, in the build tree
// and when installed alike.
QString ResourceDir();
QString ResourcePath(const QString& relative);
// Full path of a file in the application directory.
QString AppFilePath(const QString& name);
QString DefaultDbFileName();
// On a first start the application directory holds no kb.db: copy the delivered
// empty one there. Returns false when it could not be copied.
[[nodiscard]] bool EnsureDefaultDatabase();
