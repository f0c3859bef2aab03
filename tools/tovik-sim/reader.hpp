// One connection's upload message as its bytes arrive: the length field,
// then the body, then whatever follows (which is an error). Holds no socket,
// so that every order and split of bytes can be tried on it directly.
//
// The body is kept in a block that grows with what has arrived, never with
// what the length field announces: a peer that announces much and sends
// little holds little. Not thread-safe: one owner at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tovik {

class MessageReader {
public:
  enum class State {
    length,   ///< reading the 4-byte length field
    body,     ///< reading the body
    complete, ///< the whole message is here; more bytes are counted
    failed,   ///< the length field was refused or memory ran short
  };

  /// `limit`: the largest length field accepted.
  explicit MessageReader(std::uint32_t limit) : limit_(limit) {}

  /// What one feed did.
  enum class Fed {
    more,    ///< the bytes were taken; the message is not complete
    message, ///< the message is complete (body() holds it); later bytes count as trailing
    refused, ///< the length field was refused: error() says why
    no_room, ///< the body block would have to outgrow `may_hold` bytes
  };

  /// Takes the next bytes of the stream, the body block growing to at most
  /// `may_hold` bytes. After `message` the rest of the bytes are counted as
  /// trailing; after `refused` or `no_room` the reader is failed and takes
  /// nothing more (`refused`, `no_room` again).
  Fed feed(std::span<const unsigned char> bytes, std::size_t may_hold);

  /// Bytes the body block holds now (0 once released).
  std::size_t held() const { return body_.capacity(); }

  State state() const { return state_; }
  const std::string &error() const { return error_; }
  std::uint32_t length() const { return length_; }
  /// The body once complete (until release()).
  std::span<const unsigned char> body() const { return body_; }
  /// Frees the body block (once the message has been applied).
  void release();
  std::size_t trailing() const { return trailing_; }

  /// How far the message got, for error lines: "2 bytes of the length
  /// field", "31 of 32 bytes".
  std::string progress() const;
  /// What the end of the stream means now: an error text, or nothing when
  /// the stream ended cleanly after a whole message.
  std::optional<std::string> end_error() const;

private:
  std::uint32_t limit_;
  State state_ = State::length;
  unsigned char head_[4] = {};
  std::size_t head_have_ = 0;
  std::uint32_t length_ = 0;
  std::vector<unsigned char> body_;
  std::size_t trailing_ = 0;
  std::string error_;
};

} // namespace tovik
