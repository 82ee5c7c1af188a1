#pragma once
// Reading the digest boxes: which texts count as a hexadecimal digest, how two boxes compare, and
// which algorithms give a digest of a given length. Qt Core only.
#include <QString>
#include <optional>
#include <vector>

namespace tessarin {

// The algorithms the window can show a file's digest in.
enum class Algorithm { Md5, Sha1, Has160, Sha256, Sha384, Sha512 };

// The name the service looks the algorithm up by; also what the label beside a box shows.
const char* AlgorithmName(Algorithm algorithm);

// The algorithms whose digests have `hex_length` hexadecimal characters, most common first; empty
// for a length the window does not digest in.
std::vector<Algorithm> AlgorithmsForLength(qsizetype hex_length);

// The digest a box holds, upper case: a bare hexadecimal digest, a line as `sha256sum` prints it
// ("<hex>  <name>", "<hex> *<name>") or a tagged line ("SHA256 (<name>) = <hex>"), with white
// space around it. Only the lengths of the library's digests count; anything else is no digest.
std::optional<QString> ParseHexDigest(const QString& text);

// Two digests compare regardless of case and of the line they came in; any other text compares
// exactly.
bool DigestTextsMatch(const QString& first, const QString& second);

}  // namespace tessarin
