// The file layer's calls as Windows makes them.

#include "files/windows_calls.h"

#include <QDir>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <climits>

namespace scp::windows {

namespace {

// Paths reach the calls as UTF-8 and go on as the wide names Windows keeps,
// with its own separators (a "\\?\" path takes no other).
std::wstring wide(const char* path)
{
    return QDir::toNativeSeparators(QString::fromUtf8(path)).toStdWString();
}

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// Only what the file layer tells apart becomes an errno; the rest keeps
// Windows' code, and so its own words in the message.
int errnoFor(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return kWindowsError + int(error);
    }
}

int failed(DWORD error = GetLastError())
{
    errno = errnoFor(error);
    return -1;
}

// Every file opened here lets others read, write, rename and remove it, as
// POSIX does: a run renames its temporary over the target while it still
// holds it, and a file the program only reads never stands in the way of
// another program replacing it. Whether a file of ours is in use is what
// its lock says (flock below). Folders open too, so that they read as
// folders rather than as "Access is denied."
HANDLE openHandle(const wchar_t* path, DWORD access, DWORD disposition)
{
    return CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS,
                       nullptr);
}

int openFile(const char* path, int flags, FileMode)
{
    DWORD access = GENERIC_READ;
    if (flags & OpenWrite)
        access = GENERIC_WRITE;
    else if (flags & OpenReadWrite)
        access = GENERIC_READ | GENERIC_WRITE;
    // Appending is a right of its own: every write goes to the end, in one
    // piece, whoever else writes.
    if (flags & OpenAppend)
        access = (access & ~DWORD(GENERIC_WRITE)) | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES |
                 FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    DWORD disposition = OPEN_EXISTING;
    if (flags & OpenCreate)
        disposition = (flags & OpenExclusive)  ? CREATE_NEW
                      : (flags & OpenTruncate) ? CREATE_ALWAYS
                                               : OPEN_ALWAYS;
    else if (flags & OpenTruncate)
        disposition = TRUNCATE_EXISTING;
    const HANDLE handle = openHandle(wide(path).c_str(), access, disposition);
    if (handle == INVALID_HANDLE_VALUE)
        return failed();
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                     _O_BINARY | _O_NOINHERIT |
                                         (flags & (OpenWrite | OpenReadWrite) ? _O_RDWR : 0));
    if (fd < 0) {
        CloseHandle(handle);
        errno = EMFILE;
    }
    return fd;
}

// What the file layer reads of a status: kind, size, modification time to
// the 100 ns Windows keeps, and the read-only attribute as the write bits.
// No owners; the volume stands for the device, the file's index for the
// inode.
int describe(HANDLE handle, FileNode* status)
{
    *status = {};
    switch (GetFileType(handle)) {
    case FILE_TYPE_CHAR:
        status->kind = FileNode::Kind::CharacterDevice;
        return 0;
    case FILE_TYPE_PIPE:
        status->kind = FileNode::Kind::Fifo;
        return 0;
    case FILE_TYPE_DISK:
        break;
    default:
        if (GetLastError() != NO_ERROR)
            return failed();
        status->kind = FileNode::Kind::CharacterDevice; // some device
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return failed();
    const bool folder = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool readOnly = info.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
    status->kind = folder ? FileNode::Kind::Folder : FileNode::Kind::Regular;
    status->permissions = folder ? 0555 : readOnly ? 0444 : 0666;
    status->size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    status->device = info.dwVolumeSerialNumber;
    status->inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    // 100 ns steps since 1601 to nanoseconds since 1970.
    const quint64 written =
        (quint64(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    status->modified = (qint64(written) - 116444736000000000LL) * 100;
    return 0;
}

int statPath(const char* path, FileNode* status)
{
    // No access asked for: only the attributes, whoever holds the file.
    const HANDLE handle = openHandle(wide(path).c_str(), 0, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE)
        return failed();
    const int result = describe(handle, status);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    SetLastError(error);
    return result;
}

// One byte far beyond any content stands for the whole file: Windows'
// locks are mandatory, and one over the content would stop its own writes.
// A shared lock marks a file as in use by a running commit; a clean-up
// takes the exclusive one before it removes a leftover. Locks go with the
// handle.
constexpr DWORD kLockOffsetHigh = 0x7fffffff;
constexpr DWORD kLockOffsetLow = 0xfffffffe;

int lockFile(int fd, int operation)
{
    OVERLAPPED at{};
    at.Offset = kLockOffsetLow;
    at.OffsetHigh = kLockOffsetHigh;
    const DWORD flags = ((operation & LockExclusive) ? LOCKFILE_EXCLUSIVE_LOCK : 0) |
                        ((operation & LockNoWait) ? LOCKFILE_FAIL_IMMEDIATELY : 0);
    if (LockFileEx(handleOf(fd), flags, 0, 1, 0, &at))
        return 0;
    const DWORD error = GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
        errno = EWOULDBLOCK;
        return -1;
    }
    return failed(error);
}

qsizetype readFile(int fd, void* buffer, size_t count)
{
    DWORD done = 0;
    if (ReadFile(handleOf(fd), buffer, DWORD(std::min<size_t>(count, 1u << 30)), &done, nullptr))
        return qsizetype(done);
    const DWORD error = GetLastError();
    return error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE ? 0 : failed(error);
}

qsizetype writeFile(int fd, const void* buffer, size_t count)
{
    DWORD done = 0;
    if (WriteFile(handleOf(fd), buffer, DWORD(std::min<size_t>(count, 1u << 30)), &done, nullptr))
        return qsizetype(done);
    return failed();
}

} // namespace

SystemCalls realCalls()
{
    return {
        openFile,
        [](int fd, FileNode* status) { return describe(handleOf(fd), status); },
        statPath,
        [](int, int) { return 0; }, // reads never wait on a disk file
        readFile,
        writeFile,
        [](int fd) { return FlushFileBuffers(handleOf(fd)) ? 0 : failed(); },
        // A whole volume is flushed only through a handle to the volume
        // itself, which takes an administrator: each file is flushed instead.
        [](int) {
            errno = ENOSYS;
            return -1;
        },
        // Windows keeps no owner and mode this way: a replaced file gets the
        // permissions its folder gives new files, and a read-only one is
        // refused before anything is written.
        [](int, OwnerId, OwnerId) { return 0; },
        [](int, FileMode) { return 0; },
        lockFile,
        // No second name for a backup: Windows will not replace a file that
        // is open under any of its names (Wine not even where the removal is
        // shared), and a backup stays open to keep its lock. EPERM asks the
        // caller for a copy.
        [](const char*, const char*) {
            errno = EPERM;
            return -1;
        },
        [](const char* from, const char* to) {
            return MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                       ? 0
                       : failed();
        },
        [](const char* path) { return DeleteFileW(wide(path).c_str()) ? 0 : failed(); },
    };
}

QString reason(int error)
{
    const DWORD code = DWORD(error - kWindowsError);
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString words = length ? QString::fromWCharArray(text, length).trimmed() : QString();
    LocalFree(text);
    return words.isEmpty() ? QStringLiteral("Windows error %1").arg(code) : words;
}

} // namespace scp::windows
