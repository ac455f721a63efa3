// SHA-256 (FIPS 180-4), for the password hashes kept in database files.

#ifndef VX_ENGINE_SHA256_H_
#define VX_ENGINE_SHA256_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vx::dao {

using Sha256Digest = std::array<uint8_t, 32>;

// Digest of a message given in pieces.
class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t size);
  void Update(std::string_view data) { Update(data.data(), data.size()); }
  // The digest of everything given; the object is spent afterwards.
  Sha256Digest Finish();

 private:
  void Compress(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> buffer_;
  size_t buffered_ = 0;
  uint64_t length_ = 0;  // bytes given so far
};

}  // namespace vx::dao

#endif  // VX_ENGINE_SHA256_H_
