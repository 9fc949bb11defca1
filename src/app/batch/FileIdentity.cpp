#include "FileIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

FileIdentity identifyFile(const QString &path, StreamRole role)
{
    FileIdentity identity;
    if (path == u"-") {
        identity.kind = FileIdentity::Kind::StandardStream;
        identity.role = role;
        return identity;
    }
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) == 0) {
        identity.kind = FileIdentity::Kind::Existing;
        identity.device = status.st_dev;
        identity.inode = status.st_ino;
        return identity;
    }
    const QFileInfo file(path);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    identity.kind = FileIdentity::Kind::New;
    identity.folder = folder.isEmpty() ? QDir::cleanPath(file.absolutePath()) : folder;
    identity.name = file.fileName();
    return identity;
}
