// Inflater for the image data of PNG files: one zlib stream (RFC 1950) whose
// deflate blocks (RFC 1951) are decoded straight into a buffer of known size.
//
// Huffman codes are decoded through lookup tables (a main table indexed by the
// next bits of the stream, with subtables for the longer codes). The tables
// accept and refuse exactly the streams that a one-bit-at-a-time canonical
// decoder accepts and refuses: an incomplete literal/length or distance code is
// allowed only when it has a single code of one bit (or, for distances, none),
// and a bit pattern that no code has is an error when it is met.
//
// The output buffer is the whole window: a distance may reach back to its first
// byte and no further. The Adler-32 trailer is read past, never checked.
#pragma once

#include <cstddef>
#include <cstdint>

enum class InflateResult : std::uint8_t {
  kOk,
  kBadZlibHeader,          // method not 8, window above 32 KiB, or a preset dictionary
  kBadBlockType,           // block type 3
  kBadStoredLength,        // NLEN is not the one's complement of LEN
  kTooManyCodes,           // more than 286 literal/length or 30 distance codes
  kBadCodeLengthCode,      // the code-length code is over-subscribed or incomplete
  kBadRepeat,              // a repeat with no length before it, or past the last code
  kNoEndOfBlockCode,       // the literal/length code has no code for 256
  kBadLiteralLengthCode,   // literal/length lengths over-subscribed or incomplete
  kBadDistanceCodeLengths, // distance lengths over-subscribed or incomplete
  kBadLiteralLengthSymbol, // a pattern without a code, or the unused symbols 286 and 287
  kBadDistanceSymbol,      // a pattern without a code, or the unused symbols 30 and 31
  kDistanceTooFar,         // refers back before the first byte of the output
  kOutputOverrun,          // would write past the end of the output
  kInputEnded,             // the compressed data ends before the final block does
  kOutputShort,            // the final block ends before the output is full
};

// Where the compressed bytes come from: runs of bytes (the data of consecutive
// IDAT chunks), possibly empty, handed out one after the other. `next` returns
// false when there are no more.
struct InflateSource {
  bool (*next)(void* context, const std::uint8_t** bytes, std::size_t* size);
  void* context;
};

enum class InflateWrapper : std::uint8_t { kZlib, kRaw };

// Inflates the stream into out[0, outSize). Succeeds only when the final block
// fills the output exactly. On failure the output holds whatever was decoded.
InflateResult Inflate(const InflateSource& source, std::uint8_t* out, std::size_t outSize,
                      InflateWrapper wrapper = InflateWrapper::kZlib);

const char* InflateResultName(InflateResult result);
