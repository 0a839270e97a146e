#include "TProgressLine.h"

#include <cmath>

namespace {

std::string Duration(double Seconds) {
    const auto total = static_cast<long long>(std::llround(Seconds));
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    return text;
}

} // namespace

TProgressLine::TProgressLine(std::FILE* Out) : FOut(Out) {}

std::string TProgressLine::Text(const std::string& Table, std::int64_t Done, std::int64_t RowsInAll,
                                double Seconds) {
    std::string text = Table + ": " + std::to_string(Done);
    if (RowsInAll >= 0) text += " of " + std::to_string(RowsInAll);
    text += " rows";
    if (Seconds > 0 && Done > 0) {
        const double rate = Done / Seconds;
        text += ", " + std::to_string(static_cast<long long>(std::llround(rate))) + " rows/s";
        if (RowsInAll >= Done) text += ", " + Duration((RowsInAll - Done) / rate) + " left";
    }
    return text;
}

void TProgressLine::Start(const std::string& Table, std::int64_t RowsInAll) {
    FTable = Table;
    FRowsInAll = RowsInAll;
    FDone = 0;
    FActive = true;
    FStart = std::chrono::steady_clock::now();
    Draw();
}

void TProgressLine::Rows(std::int64_t Done) {
    if (!FActive) return;
    FDone = Done;
    Draw();
}

void TProgressLine::Finish(std::int64_t Done) {
    if (!FActive) return;
    FDone = Done;
    Draw();
    std::fputc('\n', FOut);
    std::fflush(FOut);
    FShown = false;
    FActive = false;
}

void TProgressLine::Clear() {
    if (!FShown) return;
    std::fputs("\r\x1b[K", FOut);
    std::fflush(FOut);
    FShown = false;
}

void TProgressLine::Draw() {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
    // Carriage return and erase to the end of the line: the line is rewritten in place.
    std::fprintf(FOut, "\r%s\x1b[K", Text(FTable, FDone, FRowsInAll, seconds).c_str());
    std::fflush(FOut);
    FShown = true;
}
