#pragma once
// The one writer that owns an output file: a large buffer in front of a device, a count
// of the bytes the device accepted, and the first error, which every later write and the
// close report again. A failed write is never reported as success.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised by TOutFile when the device refused data.
class TWriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where the bytes go. Write returns how many bytes were taken; fewer than asked is a
// failure with Error set. Close returns false (Error set) when the close failed.
class TOutDevice {
  public:
    virtual ~TOutDevice() = default;
    virtual std::size_t Write(const char* Data, std::size_t Size, std::string& Error) = 0;
    virtual bool Close(std::string& Error) = 0;
};

// A file opened for writing: created or truncated, or appended to.
class TFileDevice : public TOutDevice {
  public:
    ~TFileDevice() override;
    // False with Error set when the file cannot be opened or created.
    bool Open(const std::string& Path, bool Append, std::string& Error);
    std::size_t Write(const char* Data, std::size_t Size, std::string& Error) override;
    bool Close(std::string& Error) override;

  private:
    int fd_ = -1;
};

class TOutFile {
  public:
    static constexpr std::size_t DefaultCapacity = 1 << 20;

    explicit TOutFile(std::size_t Capacity = DefaultCapacity);
    ~TOutFile(); // closes, ignoring the outcome; call Close to learn it
    TOutFile(const TOutFile&) = delete;
    TOutFile& operator=(const TOutFile&) = delete;

    // Starts writing to Device (taken over); forgets an earlier error and count.
    void Attach(std::unique_ptr<TOutDevice> Device);

    // Append text; the buffer goes to the device once it holds Capacity bytes.
    // Raise TWriteError once the device has failed.
    void Write(std::string_view Text) {
        buffer_.append(Text);
        Commit();
    }
    void WriteLine(std::string_view Text) {
        buffer_.append(Text);
        EndLine();
    }
    void EndLine() {
        buffer_.append("\r\n", 2);
        Commit();
    }
    // Direct access for the row writers: append to Buffer(), then Commit().
    std::string& Buffer() { return buffer_; }
    void Commit() {
        if (!error_.empty()) throw TWriteError(error_);
        if (buffer_.size() >= capacity_) Flush();
    }
    // Hands the buffer to the device; raises TWriteError on failure.
    void Flush();
    // Flushes and closes the device; false when any write or the close failed. Safe to
    // call more than once and after an error.
    bool Close();

    // Bytes the device accepted so far.
    std::uint64_t BytesWritten() const { return written_; }
    // The first error, empty while none occurred.
    const std::string& Error() const { return error_; }

  private:
    bool FlushNoThrow();

    std::unique_ptr<TOutDevice> device_;
    std::string buffer_;
    std::size_t capacity_;
    std::uint64_t written_ = 0;
    std::string error_;
};
