#include "host/posix/last_error.h"

#include <cerrno>

namespace tavrel::posix {

// The one place where errno values become Windows last-error codes; the
// error-number table of the failure record then applies to both builds.
std::uint32_t LastErrorFromErrno(int error) noexcept {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;   // 2
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;  // 3
    case EMFILE:
    case ENFILE: return 4;  // too many open files
    case EACCES:
    case EPERM: return 5;                     // access denied
    case EBADF: return ERROR_INVALID_HANDLE;  // 6
    case ENOMEM: return 8;                    // not enough memory
    case EFAULT: return 487;                  // invalid address
    case EROFS: return 19;                    // write protected
    case ENODEV:
    case ENXIO: return 20;    // device not found
    case EXDEV: return 17;    // not the same device
    case EIO: return 31;      // general device fault
    case EBUSY: return 170;   // resource in use
    case EEXIST: return 183;  // already exists
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 112;                       // disk full
    case EPIPE: return 109;                       // broken pipe
    case EINVAL: return ERROR_INVALID_PARAMETER;  // 87
    case ENAMETOOLONG: return 206;                // file name too long
    case ELOOP: return 1921;                      // cannot resolve the name
    case ERANGE: return 122;                      // insufficient buffer
    case ENOTEMPTY: return 145;                   // directory not empty
    default: return 1;                            // invalid function
  }
}

}  // namespace tavrel::posix
