#pragma once
// An output device on a file descriptor the program already holds (standard output), for
// an export that is piped into a loader or a compressor. The descriptor stays open.
#include "TOutFile.h"

#include <string>

class TDescriptorDevice : public TOutDevice {
  public:
    // Name is what an error message calls the output ("standard output").
    TDescriptorDevice(int Descriptor, std::string Name);
    std::size_t Write(const char* Data, std::size_t Size, std::string& Error) override;
    bool Close(std::string& Error) override;

  private:
    int FDescriptor;
    std::string FName;
};
