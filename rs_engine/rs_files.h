#pragma once
// The extra files a variation comes with: the inverse-table memory file of
// every decoder and the simulation vector file of the encoder or decoder.
// The writers fill a stream, so the same text goes to a file or to memory.

#include <iosfwd>
#include <optional>
#include <string>

#include "platform/services.h"
#include "rs_engine/rs_engine.h"
#include "rs_pages/rs_parameters.h"

namespace codexel {

// ---- File names ----

// "%s%s.vec": design directory and design base name.
std::string VectorFilePath(const std::string& design_directory,
                           const std::string& design_base_name);
// "inv_%d_%d.hex": the memory file's name without folder (the "inv_file" text).
std::string MemoryFileName(int m, int irrpol);
// "%sinv_%d_%d.hex": design directory, m, irrpol.
std::string MemoryFilePath(const std::string& design_directory, int m, int irrpol);
// Buses are declared with their index range only for a ".tdf" design (exact,
// case-sensitive match).
bool UsesBusRanges(const std::string& design_extension);

// ---- Derived values ----

// L of the discrete decoder: 3n + 8r + 4 at full speed, 3n + 11r + 4 at half.
long long DiscreteLatency(int n, int r, bool full_speed);
// L of the streaming decoder: max(ceil(1.7 r^2), n + r) at full speed,
// max(3 r^2, n + r) at half.
long long StreamingLatency(int n, int r, bool full_speed);
// P: 100 * (L + 4 + floor(3n / 2)), the spacing of the streaming codewords.
long long StreamingPeriod(int n, int r, bool full_speed);

// ---- Test messages ----

inline constexpr int kTestMessageCount = 5;

// Puts test message `number` (1..5) into the engine's message buffer:
// 1: i; 2: k - i; 3: r at both ends and n between; 4: m; 5: (m * i) mod n.
void LoadTestMessage(RsEngine& engine, int number);

// ---- Writers ----

struct DecoderVectorOptions {
  bool full_speed = true;  // Fast_Small 1
  bool erasures = false;   // Eras_Stnd 1
  bool bus_ranges = true;  // see UsesBusRanges
};

// The encoder's self-checking vector file; the codeword buffer must hold the
// encoding of test message 1.
void WriteEncoderVectorFile(std::ostream& out, const RsEngine& engine, bool bus_ranges);
// The discrete decoder's vector file; the codeword buffer must hold the
// encoding of test message 1.
void WriteDiscreteDecoderVectorFile(std::ostream& out, const RsEngine& engine,
                                    const DecoderVectorOptions& options);
// The streaming decoder's vector file. The codeword buffer must hold the
// encoding of test message 1; messages 2 to 5 are encoded here on a copy of
// the engine, each just before its lines are written.
void WriteStreamingDecoderVectorFile(std::ostream& out, const RsEngine& engine,
                                     const DecoderVectorOptions& options);

// ---- Creating the files ----

// The first extra file that could not be written, with the reason.
using ExtraFileFailure = FileFailure;

// Both take the code parameters (m, n, irrpol, r, genstart) from the engine,
// which the caller has filled from `parameters`, and the flags from
// `parameters`. The files are staged in `files`, to be put in place by the
// caller together with the wizard information file; the first that fails is
// returned and nothing more is staged. The caller reports it
// (ExitOnExtraFileFailure in the wizard).

// Encoder: encodes test message 1 (always) and, when generate_vectorfile is
// 1, writes the vector file. The engine must have run build_alog and
// build_gg.
std::optional<ExtraFileFailure> create_enc_files(RsEngine& engine, const RsParameters& parameters,
                                                 const std::string& design_directory,
                                                 const std::string& design_base_name,
                                                 const std::string& design_extension,
                                                 FileBatch& files);

// Decoder: fills alog, root and negroot, writes the memory file (always),
// builds gg, encodes test message 1 and, when generate_vectorfile is 1,
// writes the discrete or streaming vector file.
std::optional<ExtraFileFailure> create_dec_files(RsEngine& engine, const RsParameters& parameters,
                                                 const std::string& design_directory,
                                                 const std::string& design_base_name,
                                                 const std::string& design_extension,
                                                 FileBatch& files);

// ---- Reporting a failure ----

inline constexpr const char* kExtraFileErrorTitle = "Error";

// The "Error" box's text for `path`.
std::string UnableToOpenText(const std::string& path);

// Shows the "Error" box for the failed file, then ends the process with
// exit status 1.
[[noreturn]] void ExitOnExtraFileFailure(const ExtraFileFailure& failure,
                                         MessageService& messages, ProcessServices& process);

}  // namespace codexel
