#include "StatusPageFile.h"

#include "QtText.h"
#include "UserFile.h"

std::string ReadStatusPageFile(const QString& fileName)
{
    return ReadUserFile(CorePath(fileName), MaxPageFileSize(), TFileNaming::FullPath);
}
