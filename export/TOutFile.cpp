#include "TOutFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

TFileDevice::~TFileDevice() {
    std::string ignored;
    Close(ignored);
}

bool TFileDevice::Open(const std::string& Path, bool Append, std::string& Error) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (Append ? O_APPEND : O_TRUNC);
    fd_ = ::open(Path.c_str(), flags, 0666);
    if (fd_ < 0) {
        Error = "cannot open " + Path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::size_t TFileDevice::Write(const char* Data, std::size_t Size, std::string& Error) {
    std::size_t done = 0;
    while (done < Size) {
        const ssize_t n = ::write(fd_, Data + done, Size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Error = std::string("write failed: ") + std::strerror(errno);
            break;
        }
        if (n == 0) {
            Error = "write failed: device took no data";
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool TFileDevice::Close(std::string& Error) {
    if (fd_ < 0) return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    // close() may report a deferred write error (NFS, quota); the descriptor is gone either way.
    if (rc != 0 && errno != EINTR) {
        Error = std::string("close failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

TOutFile::TOutFile(std::size_t Capacity) : capacity_(Capacity == 0 ? 1 : Capacity) {}

TOutFile::~TOutFile() {
    Close();
}

void TOutFile::Attach(std::unique_ptr<TOutDevice> Device) {
    Close();
    device_ = std::move(Device);
    buffer_.clear();
    buffer_.reserve(capacity_ + capacity_ / 4);
    written_ = 0;
    error_.clear();
}

bool TOutFile::FlushNoThrow() {
    if (!device_ || !error_.empty() || buffer_.empty()) {
        buffer_.clear();
        return error_.empty();
    }
    std::string err;
    const std::size_t n = device_->Write(buffer_.data(), buffer_.size(), err);
    written_ += n;
    if (n < buffer_.size()) error_ = err.empty() ? "write failed" : err;
    buffer_.clear();
    return error_.empty();
}

void TOutFile::Flush() {
    if (!FlushNoThrow()) throw TWriteError(error_);
}

bool TOutFile::Close() {
    if (!device_) return error_.empty();
    FlushNoThrow();
    std::string err;
    if (!device_->Close(err) && error_.empty()) error_ = err;
    device_.reset();
    return error_.empty();
}
