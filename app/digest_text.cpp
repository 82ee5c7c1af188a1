#include "digest_text.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>

namespace tessarin {
namespace {

bool IsDigestLength(qsizetype length) {
    // MD5 and MDC-2, SHA-1 and HAS-160, SHA-224, SHA-256, SHA-384, SHA-512.
    static constexpr std::array<qsizetype, 6> kLengths = {32, 40, 56, 64, 96, 128};
    return std::find(kLengths.begin(), kLengths.end(), length) != kLengths.end();
}

bool IsHex(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

std::optional<QString> AsDigest(QStringView hex) {
    if (!IsDigestLength(hex.size()) || !IsHex(hex)) return std::nullopt;
    return hex.toString().toUpper();
}

}  // namespace

const char* AlgorithmName(Algorithm algorithm) {
    switch (algorithm) {
        case Algorithm::Md5:
            return "MD5";
        case Algorithm::Sha1:
            return "SHA1";
        case Algorithm::Has160:
            return "HAS160";
        case Algorithm::Sha256:
            return "SHA256";
        case Algorithm::Sha384:
            return "SHA384";
        case Algorithm::Sha512:
            return "SHA512";
    }
    return "SHA256";
}

std::vector<Algorithm> AlgorithmsForLength(qsizetype hex_length) {
    switch (hex_length) {
        case 32:
            return {Algorithm::Md5};
        case 40:
            return {Algorithm::Sha1, Algorithm::Has160};
        case 64:
            return {Algorithm::Sha256};
        case 96:
            return {Algorithm::Sha384};
        case 128:
            return {Algorithm::Sha512};
        default:
            return {};
    }
}

std::optional<QString> ParseHexDigest(const QString& text) {
    const QString line = text.trimmed();
    if (auto digest = AsDigest(line)) return digest;
    // coreutils: the digest, a space, then a space (text mode) or '*' (binary mode) and the name;
    // a leading backslash marks a name printed with escapes.
    static const QRegularExpression kSumLine(QStringLiteral("^\\\\?([0-9A-Fa-f]+) [ *].+$"),
                                             QRegularExpression::DotMatchesEverythingOption);
    // BSD tools and `openssl dgst`: a tag, the name in parentheses, '=' and the digest. The name
    // may itself hold parentheses, so the last ") =" ends it.
    static const QRegularExpression kTaggedLine(
        QStringLiteral("^\\\\?[A-Za-z][A-Za-z0-9/_-]* ?\\(.*\\) ?= ?([0-9A-Fa-f]+)$"),
        QRegularExpression::DotMatchesEverythingOption);
    for (const QRegularExpression* form : {&kSumLine, &kTaggedLine}) {
        const QRegularExpressionMatch match = form->match(line);
        if (match.hasMatch()) return AsDigest(match.capturedView(1));
    }
    return std::nullopt;
}

bool DigestTextsMatch(const QString& first, const QString& second) {
    const std::optional<QString> a = ParseHexDigest(first);
    const std::optional<QString> b = ParseHexDigest(second);
    if (a && b) return *a == *b;
    return first == second;
}

}  // namespace tessarin
