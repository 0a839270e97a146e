#include "TDescriptorDevice.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

TDescriptorDevice::TDescriptorDevice(int Descriptor, std::string Name)
    : FDescriptor(Descriptor), FName(std::move(Name)) {}

std::size_t TDescriptorDevice::Write(const char* Data, std::size_t Size, std::string& Error) {
    std::size_t done = 0;
    while (done < Size) {
        const ssize_t n = ::write(FDescriptor, Data + done, Size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Error = "write failed on " + FName + ": " + std::strerror(n < 0 ? errno : EIO);
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool TDescriptorDevice::Close(std::string& Error) {
    // A regular file behind the descriptor reports a delayed write error only here.
    if (::fsync(FDescriptor) != 0 && errno != EINVAL && errno != EROFS) {
        Error = "write failed on " + FName + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
