#include "app/PageScraper.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The page is searched 64 bytes at a time; with SSE2 (every x86-64, and i686
// builds that ask for it) sixteen bytes go in one step, otherwise eight.
#if defined(__SSE2__) && !defined(VELLORAN_PORTABLE_SCAN)
#include <emmintrin.h>
#define VELLORAN_SCAN_SSE2 1
#endif

namespace velloran {

namespace {

constexpr int CellsPerRow = 7;
constexpr std::string_view TableStartText = "Gigabytes";
constexpr std::string_view TableEndText = "PrivacyPolicy";
constexpr std::string_view NonBreakingSpace = "&nbsp;";

static_assert(std::endian::native == std::endian::little,
              "the scan reads the page in words whose first byte is the lowest");

constexpr std::size_t BlockSize = 64;
// Whole words are read and written past the end of what is needed, this far at most.
constexpr std::size_t Overrun = 8;
constexpr std::uint64_t Ones = 0x0101010101010101u;
constexpr std::uint64_t Low7 = 0x7F7F7F7F7F7F7F7Fu;
constexpr std::uint64_t High = 0x8080808080808080u;

// Eight bytes at a time: the top bit of each byte of Word equal to C. The
// test is exact, without the false hits of the shorter zero-byte tricks.
std::uint64_t BytesEqual(std::uint64_t word, unsigned char c) {
  std::uint64_t x = word ^ (Ones * c);
  return ~(((x & Low7) + Low7) | x | Low7);
}

// The top bit of each byte of Word above 20 hexadecimal (not a blank or control byte).
std::uint64_t BytesAboveBlank(std::uint64_t word) {
  return (((word & Low7) + Ones * (0x80 - 0x21)) | word) & High;
}

// The bits from Bit (0 to 64) upwards.
std::uint64_t FromBit(int bit) {
  return bit < 64 ? ~std::uint64_t{0} << bit : 0;
}

int HighestBit(std::uint64_t bits) {
  return 63 - std::countl_zero(bits);
}

// Where in a block of 64 bytes the tags open and close and which bytes a
// text keeps; bit i stands for byte i.
struct BlockMarks {
  std::uint64_t opens;       // "<"
  std::uint64_t closes;      // ">"
  std::uint64_t kept;        // above 20 hexadecimal and no bracket
  std::uint64_t ampersands;  // "&"
};

BlockMarks MarkBlock(const char* block) {
  std::uint64_t opens = 0;
  std::uint64_t closes = 0;
  std::uint64_t visible = 0;
  std::uint64_t ampersands = 0;
#ifdef VELLORAN_SCAN_SSE2
  const __m128i open = _mm_set1_epi8('<');
  const __m128i close = _mm_set1_epi8('>');
  const __m128i ampersand = _mm_set1_epi8('&');
  // Flipping the top bit turns the unsigned comparison into the signed one SSE2 has.
  const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i blank = _mm_set1_epi8(static_cast<char>(0x20 ^ 0x80));
  auto bits = [](__m128i lanes, int i) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(lanes))) << (16 * i);
  };
  for (int i = 0; i < 4; ++i) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i));
    opens |= bits(_mm_cmpeq_epi8(bytes, open), i);
    closes |= bits(_mm_cmpeq_epi8(bytes, close), i);
    ampersands |= bits(_mm_cmpeq_epi8(bytes, ampersand), i);
    visible |= bits(_mm_cmpgt_epi8(_mm_xor_si128(bytes, flip), blank), i);
  }
#else
  // The top bits of a word's eight bytes as eight bits, the first byte's lowest.
  auto bits = [](std::uint64_t marks, int i) {
    return (((marks >> 7) * 0x0102040810204080u) >> 56) << (8 * i);
  };
  for (int i = 0; i < 8; ++i) {
    std::uint64_t word;
    std::memcpy(&word, block + 8 * i, 8);
    opens |= bits(BytesEqual(word, '<'), i);
    closes |= bits(BytesEqual(word, '>'), i);
    ampersands |= bits(BytesEqual(word, '&'), i);
    visible |= bits(BytesAboveBlank(word), i);
  }
#endif
  return {opens, closes, visible & ~(opens | closes), ampersands};
}

// One pass from left to right: what a removal brings together is not looked at again.
std::size_t RemoveNonBreakingSpaces(char* text, std::size_t length) {
  std::string_view all(text, length);
  std::size_t out = all.find(NonBreakingSpace);
  if (out == std::string_view::npos) return length;
  std::size_t in = out;
  while (in < length) {
    if (all.substr(in, NonBreakingSpace.size()) == NonBreakingSpace) {
      in += NonBreakingSpace.size();
    } else {
      text[out++] = text[in++];
    }
  }
  return out;
}

// What happens to the texts: the table's cells, and the two texts that start and end it.
class ServerListScan {
 public:
  ServerListScan(CellTable& grid, const char* pageEnd, int maxRows)
      : grid_(grid), pageEnd_(pageEnd), maxRows_(maxRows), buffer_(BlockSize + Overrun) {}

  // The text between a ">" and the "<" that ends it, from the page's bytes.
  void TextEnded(const char* begin, const char* end) { Handle(Gather(begin, end)); }

  ServerTableState State() const {
    if (!sawTable_) return ServerTableState::None;
    return inTable_ ? ServerTableState::Unfinished : ServerTableState::Complete;
  }

  // A text that lies within one block, from the block's marks: Kept holds its
  // bytes (at least one) in Source, the block's bytes followed by Overrun more.
  void TextInBlock(const char* source, std::uint64_t kept, bool ampersand) {
    char* out = buffer_.data();
    std::size_t length = 0;
    // Run by run of kept bytes, a word at a time.
    while (kept != 0) {
      const int start = std::countr_zero(kept);
      const int run = std::countr_one(kept >> start);
      for (int i = 0; i < run; i += 8) std::memcpy(out + length + i, source + start + i, 8);
      length += static_cast<std::size_t>(run);
      // Adding the lowest bit carries through the lowest run and clears it.
      kept &= kept + (kept & (~kept + 1));
    }
    sawAmpersand_ = ampersand;
    Handle(length);
  }

 private:
  // The current text: Length bytes of the buffer.
  void Handle(std::size_t length) {
    // An empty text changes nothing: it is neither a cell nor a marker.
    if (length == 0) return;
    std::string_view text(buffer_.data(), length);
    // Matched before "&nbsp;" goes, so "Privacy&nbsp;Policy" does not end the table.
    if (text == TableEndText) inTable_ = false;
    if (sawAmpersand_) text = text.substr(0, RemoveNonBreakingSpaces(buffer_.data(), length));
    if (inTable_ && !text.empty()) {
      // The cells stored since the table started, counted modulo seven.
      if (column_ == 0) {
        row_ = grid_.RowCount();
        if (row_ >= maxRows_) throw EListTooLarge(TooManyServersText(maxRows_));
        grid_.SetRowCount(row_ + 1);
      }
      cell_.assign(text);
      grid_.SetCell(column_, row_, cell_);
      column_ = column_ + 1 == CellsPerRow ? 0 : column_ + 1;
    } else if (text == TableStartText) {
      inTable_ = true;
      sawTable_ = true;
      column_ = 0;
    }
  }

  // Copies the bytes of the text into the buffer and returns its length:
  // blanks and control bytes are dropped, and so is every further ">", which
  // only opens the text again. Bytes from 80 hexadecimal up count as letters.
  // Eight bytes go at once when all of them are kept (or all dropped).
  std::size_t Gather(const char* begin, const char* end) {
    const std::size_t size = static_cast<std::size_t>(end - begin);
    if (buffer_.size() < size + Overrun) buffer_.resize(size + Overrun);
    char* out = buffer_.data();
    std::size_t length = 0;
    std::uint64_t ampersands = 0;
    const char* p = begin;
    for (; end - p >= 8; p += 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      ampersands |= BytesEqual(word, '&');
      std::uint64_t dropped = Dropped(word);
      if (dropped == 0) {
        std::memcpy(out + length, p, 8);
        length += 8;
      } else if (dropped != High) {
        length = GatherBytes(p, p + 8, out, length);
      }
    }
    const std::size_t rest = static_cast<std::size_t>(end - p);
    if (rest > 0 && pageEnd_ - p >= 8) {
      // The page goes on past the text: read a whole word, heed only its first bytes.
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      const std::uint64_t inside = High & ((std::uint64_t{1} << (8 * rest)) - 1);
      ampersands |= BytesEqual(word, '&') & inside;
      std::uint64_t dropped = Dropped(word) & inside;
      if (dropped == 0) {
        std::memcpy(out + length, p, 8);
        length += rest;
      } else if (dropped != inside) {
        length = GatherBytes(p, end, out, length);
      }
    } else {
      for (const char* q = p; q != end; ++q) ampersands |= static_cast<std::uint64_t>(*q == '&');
      length = GatherBytes(p, end, out, length);
    }
    sawAmpersand_ = ampersands != 0;
    return length;
  }

  static std::uint64_t Dropped(std::uint64_t word) {
    return (BytesAboveBlank(word) ^ High) | BytesEqual(word, '>');
  }

  // Branch-free: the byte is always stored and kept only when it counts.
  static std::size_t GatherBytes(const char* p, const char* end, char* out, std::size_t length) {
    for (; p != end; ++p) {
      char c = *p;
      out[length] = c;
      length += static_cast<std::size_t>((static_cast<unsigned char>(c) > 0x20) & (c != '>'));
    }
    return length;
  }

  CellTable& grid_;
  const char* const pageEnd_;
  const int maxRows_;
  bool inTable_ = false;
  bool sawTable_ = false;
  int column_ = 0;
  int row_ = 0;
  std::vector<char> buffer_;
  bool sawAmpersand_ = false;
  std::string cell_;
};

// Outside a text nothing is gathered, so a "<" there ends an empty text and
// changes nothing; inside one, a ">" changes nothing either. So the scan goes
// from a ">" to the next "<", and from there to the next ">". What it knows
// at the end of one block of the page and needs in the next:
struct ScanState {
  bool inText = false;
  const char* textBegin = nullptr;  // of the current text, while in one
  bool textKept = false;            // the current text kept a byte in an earlier block
};

// The usual block, in which every bracket counts: ">" and "<" take turns,
// starting with the one that the state waits for. Then where the texts lie
// and which of them keep a byte follow from the marks by a little arithmetic,
// without a branch per bracket, and only texts that are not empty go to the
// scan. Returns false, having changed nothing, for any other block. Source
// holds the block's bytes and Overrun more (zeros after the page).
bool ScanRegularBlock(const char* block, const char* source, const BlockMarks& marks,
                      ScanState& state, ServerListScan& scan) {
  const std::uint64_t wasInText = state.inText ? 1 : 0;
  // Were the brackets to take turns, each ">" to the next "<" would be one
  // span 2^open - 2^close, and the difference of the two masks is all of
  // them: a text still running at the start borrows one, a text still
  // running at the end wraps around to the top.
  const std::uint64_t inText = marks.opens - marks.closes - wasInText;
  // It is so exactly when the mask turns at every bracket and nowhere else,
  // on at each ">" and off at each "<".
  if ((inText ^ ((inText << 1) | wasInText)) != (marks.opens | marks.closes) ||
      (marks.closes & ~inText) != 0 || (marks.opens & inText) != 0)
    return false;
  // Each text with the "<" that ends it is a run of ones here, and the ">"
  // before it a zero.
  const std::uint64_t runs = (inText & ~marks.closes) | marks.opens;
  const std::uint64_t seeds =
      (marks.kept & inText) | (state.inText && state.textKept ? std::uint64_t{1} : 0);
  // Adding the kept bytes carries out of every run that holds one, into the
  // byte after its "<"; the run that reaches the top carries out of the word.
  const std::uint64_t sum = runs + seeds;
  const bool topRunKept = sum < runs;
  std::uint64_t ends = (sum & ~runs) >> 1;
  if (topRunKept) ends |= marks.opens & (std::uint64_t{1} << 63);
  for (; ends != 0; ends &= ends - 1) {
    const int at = std::countr_zero(ends);
    const std::uint64_t closesBefore = marks.closes & ~FromBit(at);
    if (closesBefore == 0) {
      scan.TextEnded(state.textBegin, block + at);
    } else {
      const std::uint64_t within = FromBit(HighestBit(closesBefore) + 1) & ~FromBit(at);
      scan.TextInBlock(source, marks.kept & within, (marks.ampersands & within) != 0);
    }
  }
  state.inText = (inText >> 63) != 0;
  if (state.inText) {
    if (marks.closes != 0) state.textBegin = block + HighestBit(marks.closes) + 1;
    state.textKept = topRunKept;
  }
  return true;
}

// Any block, one bracket after the other.
void ScanIrregularBlock(const char* block, const BlockMarks& marks, ScanState& state,
                        ServerListScan& scan) {
  int next = 0;  // the first byte of the block not yet looked at
  for (;;) {
    if (!state.inText) {
      const std::uint64_t closes = marks.closes & FromBit(next);
      if (closes == 0) return;
      next = std::countr_zero(closes) + 1;
      state.inText = true;
      state.textBegin = block + next;
      state.textKept = false;
    }
    const int textStart = state.textBegin >= block ? static_cast<int>(state.textBegin - block) : 0;
    const std::uint64_t opens = marks.opens & FromBit(next);
    if (opens == 0) {
      state.textKept = state.textKept || (marks.kept & FromBit(textStart)) != 0;
      return;
    }
    const int at = std::countr_zero(opens);
    next = at + 1;
    state.inText = false;
    if (state.textKept || (marks.kept & FromBit(textStart) & ~FromBit(at)) != 0)
      scan.TextEnded(state.textBegin, block + at);
  }
}

}  // namespace

ServerTableState ScrapeServerList(std::string_view body, CellTable& grid, int maxRows) {
  grid.Clear();
  const char* const data = body.data();
  const std::size_t size = body.size();
  ServerListScan scan(grid, data + size, maxRows);
  ScanState state;
  // The blocks at the end of the page, copied with zeros after them: nothing
  // is read past the page.
  char tail[BlockSize + Overrun];
  for (std::size_t base = 0; base < size; base += BlockSize) {
    const char* block = data + base;
    const char* source = block;
    if (size - base < BlockSize + Overrun) {
      std::memset(tail, 0, sizeof tail);
      std::memcpy(tail, block, std::min(size - base, BlockSize));
      source = tail;
    }
    const BlockMarks marks = MarkBlock(source);
    if (!ScanRegularBlock(block, source, marks, state, scan))
      ScanIrregularBlock(block, marks, state, scan);
  }
  // A text that no "<" ends is lost.
  return scan.State();
}

}  // namespace velloran
