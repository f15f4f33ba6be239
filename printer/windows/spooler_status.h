#pragma once

#include <cstdint>

#include "printer/spooler.h"

namespace trevalune {

/// winspool's status words, with the numeric values its documentation (and winspool.h) gives:
/// kept here without windows.h so that their meaning is tested on every platform.
namespace winspool {
inline constexpr std::uint32_t kPrinterStatusPaused = 0x00000001;
inline constexpr std::uint32_t kPrinterStatusError = 0x00000002;
inline constexpr std::uint32_t kPrinterStatusPendingDeletion = 0x00000004;
inline constexpr std::uint32_t kPrinterStatusPaperJam = 0x00000008;
inline constexpr std::uint32_t kPrinterStatusPaperOut = 0x00000010;
inline constexpr std::uint32_t kPrinterStatusManualFeed = 0x00000020;
inline constexpr std::uint32_t kPrinterStatusPaperProblem = 0x00000040;
inline constexpr std::uint32_t kPrinterStatusOffline = 0x00000080;
inline constexpr std::uint32_t kPrinterStatusPrinting = 0x00000400;
inline constexpr std::uint32_t kPrinterStatusOutputBinFull = 0x00000800;
inline constexpr std::uint32_t kPrinterStatusNotAvailable = 0x00001000;
inline constexpr std::uint32_t kPrinterStatusProcessing = 0x00004000;
inline constexpr std::uint32_t kPrinterStatusNoToner = 0x00040000;
inline constexpr std::uint32_t kPrinterStatusUserIntervention = 0x00100000;
inline constexpr std::uint32_t kPrinterStatusDoorOpen = 0x00400000;
/// "Use Printer Offline": the spooler keeps every document until it is cleared.
inline constexpr std::uint32_t kPrinterAttributeWorkOffline = 0x00000400;

inline constexpr std::uint32_t kJobStatusPaused = 0x00000001;
inline constexpr std::uint32_t kJobStatusError = 0x00000002;
inline constexpr std::uint32_t kJobStatusDeleting = 0x00000004;
inline constexpr std::uint32_t kJobStatusSpooling = 0x00000008;
inline constexpr std::uint32_t kJobStatusPrinting = 0x00000010;
inline constexpr std::uint32_t kJobStatusOffline = 0x00000020;
inline constexpr std::uint32_t kJobStatusPaperOut = 0x00000040;
inline constexpr std::uint32_t kJobStatusPrinted = 0x00000080;
inline constexpr std::uint32_t kJobStatusDeleted = 0x00000100;
inline constexpr std::uint32_t kJobStatusBlockedDevq = 0x00000200;
inline constexpr std::uint32_t kJobStatusUserIntervention = 0x00000400;
inline constexpr std::uint32_t kJobStatusComplete = 0x00001000;
}  // namespace winspool

/// A printer as GetPrinterW level 2 describes it (Status, Attributes, cJobs), in the CUPS
/// words `PrinterState::needsAttention` reads ("paused", "offline-report",
/// "media-empty-error", ...). Found: the spooler answered.
PrinterState printerStateFromWinspool(std::uint32_t status, std::uint32_t attributes,
                                      std::uint32_t jobs);

/// A job as GetJobW level 1 describes it (Status). A job GetJobW no longer finds is not
/// decided here: it is Gone.
JobState jobStateFromWinspool(std::uint32_t status);

}  // namespace trevalune
