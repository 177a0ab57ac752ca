#include "host/png_file.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace avex::host {

namespace {

constexpr size_t kLargestStoredBlock = 65535;

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> entries{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const std::vector<uint8_t>& data) {
  uint32_t a = 1;
  uint32_t b = 0;
  for (uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

void PutBigEndian32(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>* out, const char type[4], const std::vector<uint8_t>& data) {
  PutBigEndian32(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data.begin(), data.end());
  PutBigEndian32(out, Crc32(out->data() + typeAt, 4 + data.size()));
}

// A zlib stream of stored deflate blocks.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> stream = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t length = std::min(kLargestStoredBlock, raw.size() - at);
    const bool last = at + length == raw.size();
    stream.push_back(last ? 1 : 0);
    stream.push_back(static_cast<uint8_t>(length));
    stream.push_back(static_cast<uint8_t>(length >> 8));
    stream.push_back(static_cast<uint8_t>(~length));
    stream.push_back(static_cast<uint8_t>(~length >> 8));
    stream.insert(stream.end(), raw.begin() + static_cast<ptrdiff_t>(at),
                  raw.begin() + static_cast<ptrdiff_t>(at + length));
    at += length;
  } while (at < raw.size());
  PutBigEndian32(&stream, Adler32(raw));
  return stream;
}

}  // namespace

bool WritePng(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  if (width == 0 || height == 0 || rgb.size() != rowBytes * height) return false;
  std::vector<uint8_t> raw;
  raw.reserve((rowBytes + 1) * height);
  for (uint32_t row = 0; row < height; ++row) {
    raw.push_back(0);  // filter: none
    raw.insert(raw.end(), rgb.begin() + static_cast<ptrdiff_t>(row * rowBytes),
               rgb.begin() + static_cast<ptrdiff_t>((row + 1) * rowBytes));
  }
  std::vector<uint8_t> header;
  PutBigEndian32(&header, width);
  PutBigEndian32(&header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter method, no interlace

  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(&file, "IHDR", header);
  PutChunk(&file, "IDAT", StoredZlib(raw));
  PutChunk(&file, "IEND", {});
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

}  // namespace avex::host
