#include "TInsertBatch.h"

#include <string_view>
#include <utility>

namespace {

// Between two rows of one statement: each row on a line of its own.
constexpr std::string_view Separator = ",\r\n(";
constexpr std::string_view Terminator = ";\r\n";

} // namespace

TInsertBatch::TInsertBatch(std::string Head, std::string Tail, std::int32_t MaxRows, std::size_t MaxBytes)
    : FHead(std::move(Head)), FTail(std::move(Tail)), FMaxRows(FTail == ");\r\n" ? MaxRows : 1),
      FMaxBytes(MaxBytes) {}

std::size_t TInsertBatch::BeginRow(std::string& Out) {
    const std::size_t start = Out.size();
    FJoined = FOpen;
    Out.append(FJoined ? Separator : std::string_view(FHead));
    return start;
}

void TInsertBatch::EndRow(std::string& Out, std::size_t RowStart) {
    if (FMaxRows < 2) {
        Out.append(FTail);
        return;
    }
    Out += ')';
    std::size_t rowBytes = Out.size() - RowStart;
    if (FJoined && FBytes + rowBytes + Terminator.size() > FMaxBytes) {
        // Too long with this row: the statement ends before it, and the row heads the next.
        const std::string head = std::string(Terminator) + FHead;
        Out.replace(RowStart, Separator.size(), head);
        FRows = 0;
        FBytes = 0;
        rowBytes = Out.size() - RowStart - Terminator.size();
    }
    FOpen = true;
    FBytes += rowBytes;
    if (++FRows >= FMaxRows) Close(Out);
}

void TInsertBatch::DropRow(std::string& Out, std::size_t RowStart) {
    Out.resize(RowStart);
    Close(Out);
}

void TInsertBatch::Close(std::string& Out) {
    if (!FOpen) return;
    Out.append(Terminator);
    FOpen = false;
    FRows = 0;
    FBytes = 0;
}
