#!/usr/bin/env python3
"""Writes crypto/selftest/kat_vectors.h, the vectors of the library's known-answer tests.

Inputs are fixed byte strings expanded from labels (any values of the right lengths do); every
expected value comes from an implementation other than this library:

  SHA-2 and HMAC   the openssl command (dgst, dgst -mac HMAC), cross-checked with Python's hashlib
                   and hmac
  ARIA and SEED    openssl enc (SEED through the legacy provider), ECB, CBC, CFB128 and OFB
  Hash_DRBG        the NIST CAVP file tests/vectors/drbg/Hash_DRBG_pr_true.rsp (prediction
                   resistance on; inputs and returned bits taken from it as published)
  KCDSA            the KISA KCMVP signature-generation vectors in tests/vectors/kcdsa/
  RSA              two 2048-bit keys made by `openssl genpkey` (e = 65537), kept beside this script

Usage: make_kat_vectors.py [--check] [OUTPUT]   (default: crypto/selftest/kat_vectors.h here)
--check writes nothing and fails when OUTPUT differs from what the sources give.
Needs python3 and the openssl command (3.x, with the legacy provider for SEED).
"""

import hashlib
import hmac
import math
import re
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent.parent
DRBG_FILE = ROOT / "tests/vectors/drbg/Hash_DRBG_pr_true.rsp"
KCDSA_FILES = {
    224: ROOT / "tests/vectors/kcdsa/kisa_kcmvp_KCDSA_2048_224_SHA-224.txt",
    256: ROOT / "tests/vectors/kcdsa/kisa_kcmvp_KCDSA_2048_256_SHA-256.txt",
}
RSA_KEYS = {"Rsaes": HERE / "rsaes_key.pem", "Rsassa": HERE / "rsassa_key.pem"}

DIGESTS = {  # name: (identifier macro, openssl name, hashlib name, CAVP section)
    "SHA-224": ("ZLC_SHA224", "sha224", "sha224", "SHA-224"),
    "SHA-256": ("ZLC_SHA256", "sha256", "sha256", "SHA-256"),
    "SHA-384": ("ZLC_SHA384", "sha384", "sha384", "SHA-384"),
    "SHA-512": ("ZLC_SHA512", "sha512", "sha512", "SHA-512"),
}


def fixed_input(label, length):
    """Deterministic input bytes: SHA-256(label || counter) blocks, cut to length."""
    out = b""
    counter = 0
    while len(out) < length:
        out += hashlib.sha256(f"{label}/{counter}".encode()).digest()
        counter += 1
    return out[:length]


def openssl(args, data=b""):
    return subprocess.run(["openssl"] + args, input=data, check=True, capture_output=True).stdout


def sha2(name, message):
    _, ossl, hl, _ = DIGESTS[name]
    value = openssl(["dgst", "-" + ossl, "-binary"], message)
    assert value == hashlib.new(hl, message).digest()
    return value


def hmac_sha2(name, key, message):
    _, ossl, hl, _ = DIGESTS[name]
    value = openssl(["dgst", "-" + ossl, "-mac", "HMAC", "-macopt", "hexkey:" + key.hex(),
                     "-binary"], message)
    assert value == hmac.new(key, message, hl).digest()
    return value


def block_encrypt(cipher, mode, key, iv, plaintext):
    args = ["enc", "-e", f"-{cipher}-{mode}", "-K", key.hex(), "-nopad", "-nosalt"]
    if mode != "ecb":
        args += ["-iv", iv.hex()]
    if cipher == "seed":
        args += ["-provider", "legacy", "-provider", "default"]
    out = openssl(args, plaintext)
    assert len(out) == len(plaintext)
    return out


def parse_records(path):
    """Blank-line separated `NAME = hex` records; each keeps its section headers and first line."""
    records, current, headers = [], {}, {}
    for number, raw in enumerate(path.read_text().splitlines(), 1):
        line = raw.strip()
        if line.startswith("["):
            if current:
                records.append(current)
                current = {}
            m = re.match(r"\[(.*?)(?: = (.*))?\]$", line)
            if m.group(2) is None:
                headers = {"section": m.group(1)}
            else:
                headers[m.group(1)] = m.group(2)
            continue
        if not line or line.startswith("#"):
            if current:
                records.append(current)
                current = {}
            continue
        name, value = (part.strip() for part in line.split("=", 1))
        if not current:
            current = {"headers": dict(headers), "line": number, "fields": []}
        current["fields"].append((name, value))
    if current:
        records.append(current)
    return records


def drbg_vector(name, entropy_bits, nonce_bits, returned_bytes):
    """COUNT 0 of the CAVP section with the given lengths and personalization and additional
    input as long as the entropy input."""
    section = DIGESTS[name][3]
    for record in parse_records(DRBG_FILE):
        h = record["headers"]
        if (h.get("section") == section and h.get("EntropyInputLen") == str(entropy_bits)
                and h.get("NonceLen") == str(nonce_bits)
                and h.get("PersonalizationStringLen") == str(entropy_bits)
                and h.get("AdditionalInputLen") == str(entropy_bits)):
            fields = record["fields"]
            assert fields[0] == ("COUNT", "0")
            names = [f[0] for f in fields[1:]]
            assert names == ["EntropyInput", "Nonce", "PersonalizationString", "AdditionalInput",
                             "EntropyInputPR", "AdditionalInput", "EntropyInputPR",
                             "ReturnedBits"], names
            values = [bytes.fromhex(f[1]) for f in fields[1:]]
            # Hash_DRBG's state update after a generate does not depend on the requested length,
            # so a shorter second request returns a prefix of the published bits.
            values[7] = values[7][:returned_bytes]
            return values, f"{DRBG_FILE.name} [{section}] line {record['line']} (COUNT = 0)"
    raise SystemExit(f"no CAVP vector for {name}")


def kcdsa_vector(qbits):
    """The first signature-generation vector of the file whose X is below Q and whose P, G and Y
    are full width; R is left-padded to its width."""
    path = KCDSA_FILES[qbits]
    width = qbits // 8
    for record in parse_records(path):
        f = dict(record["fields"])
        if "RESULT" in f:
            continue
        p, q, g, x, y = (int(f[k], 16) for k in "PQGXY")
        message = bytes.fromhex(f["M"])
        if not (x < q and q.bit_length() == qbits and p.bit_length() == 2048
                and (y.bit_length() + 7) // 8 == 256 and (g.bit_length() + 7) // 8 == 256
                and len(message) == 128):
            continue
        # y = g^(x^-1 mod q) mod p: the key pair belongs together.
        assert pow(g, pow(x, -1, q), p) == y
        values = [p.to_bytes(256, "big"), q.to_bytes(width, "big"), g.to_bytes(256, "big"),
                  x.to_bytes(width, "big"), y.to_bytes(256, "big"), message,
                  int(f["R"], 16).to_bytes(width, "big"), int(f["S"], 16).to_bytes(width, "big")]
        return values, f"{path.name} line {record['line']}"
    raise SystemExit(f"no KCDSA vector in {path}")


def rsa_key(path):
    text = openssl(["pkey", "-in", str(path), "-noout", "-text"]).decode()
    fields = {}
    for m in re.finditer(r"^(\w+):\s*\n((?:\s+[0-9a-f:]+\n)+)", text, re.M):
        fields[m.group(1)] = int(re.sub(r"[\s:]", "", m.group(2)), 16)
    e = int(re.search(r"publicExponent: (\d+)", text).group(1))
    n, d, p, q = (fields[k] for k in ("modulus", "privateExponent", "prime1", "prime2"))
    assert e == 65537 and n.bit_length() == 2048 and p * q == n
    assert (e * d) % ((p - 1) * (q - 1) // math.gcd(p - 1, q - 1)) == 1
    return [e.to_bytes(3, "big"), d.to_bytes(256, "big"), n.to_bytes(256, "big"),
            p.to_bytes(128, "big"), q.to_bytes(128, "big")]


def row(items):
    """One initialiser row of a table, wrapped at 100 columns."""
    lines, line = [], "    {"
    for i, item in enumerate(items):
        piece = item + ("}," if i == len(items) - 1 else ",")
        if len(line) + len(piece) + 1 > 100:
            lines.append(line.rstrip())
            line = "     "
        line += piece + " "
    lines.append(line.rstrip())
    return lines


class Header:
    def __init__(self):
        self.lines = []

    def array(self, name, data):
        body = ", ".join(f"0x{b:02X}" for b in data)
        wrapped = []
        line = "    "
        for item in body.split(", "):
            piece = item + ","
            if len(line) + len(piece) + 1 > 100:
                wrapped.append(line.rstrip())
                line = "    "
            line += piece + " "
        wrapped.append(line.rstrip())
        self.lines.append(f"inline constexpr std::uint8_t {name}[{len(data)}] = {{")
        self.lines += wrapped
        self.lines.append("};")
        return name

    def comment(self, text):
        self.lines.append("// " + text)

    def raw(self, text):
        self.lines.append(text)


def main():
    args = sys.argv[1:]
    check = "--check" in args
    args = [a for a in args if a != "--check"]
    out_path = Path(args[0]) if args else ROOT / "crypto/selftest/kat_vectors.h"
    h = Header()

    h.comment("Hash_DRBG, prediction resistance on (SP 800-90A 10.1.1): NIST CAVP inputs; the")
    h.comment("expected bytes are the leading bytes of the published ReturnedBits.")
    drbg_rows = []
    for i, (name, ent, nonce, out) in enumerate(
            [("SHA-224", 192, 96, 28), ("SHA-256", 256, 128, 32), ("SHA-384", 256, 128, 48),
             ("SHA-512", 256, 128, 64)], 1):
        values, source = drbg_vector(name, ent, nonce, out)
        h.comment(f"{name}: {source}")
        parts = ["Entropy", "Nonce", "Personalization", "Additional1", "ReseedEntropy1",
                 "Additional2", "ReseedEntropy2", "Expected"]
        names = [h.array(f"kDrbg{i}{p}", v) for p, v in zip(parts, values)]
        drbg_rows += row([DIGESTS[name][0]] + names)
    h.raw("inline constexpr DrbgVector kDrbg[] = {")
    h.lines += drbg_rows
    h.raw("};")
    h.raw("")

    h.comment("HMAC (FIPS 198-1): expected = the compared leading bytes of the MAC from")
    h.comment("`openssl dgst -mac HMAC` (and Python's hmac).")
    rows = []
    for i, (name, key_length, compared) in enumerate(
            [("SHA-224", 16, 14), ("SHA-256", 16, 16), ("SHA-384", 48, 24), ("SHA-512", 64, 32)], 1):
        key = fixed_input(f"kat hmac key {i}", key_length)
        message = fixed_input(f"kat hmac message {i}", 128)
        mac = hmac_sha2(name, key, message)[:compared]
        names = [h.array(f"kHmac{i}Key", key), h.array(f"kHmac{i}Message", message),
                 h.array(f"kHmac{i}Expected", mac)]
        rows += row([DIGESTS[name][0]] + names)
    h.raw("inline constexpr HmacVector kHmac[] = {")
    h.lines += rows
    h.raw("};")
    h.raw("")

    h.comment("SHA-2 (FIPS 180-4): expected digests from `openssl dgst` (and Python's hashlib).")
    rows = []
    for i, name in enumerate(["SHA-224", "SHA-256", "SHA-384", "SHA-512"], 1):
        message = fixed_input(f"kat digest message {i}", 20)
        names = [h.array(f"kDigest{i}Message", message),
                 h.array(f"kDigest{i}Expected", sha2(name, message))]
        rows += row([DIGESTS[name][0]] + names)
    h.raw("inline constexpr DigestVector kDigest[] = {")
    h.lines += rows
    h.raw("};")
    h.raw("")

    h.comment("SEED (RFC 4269) and ARIA (RFC 5794) in ECB, CBC, CFB128 and OFB: expected")
    h.comment("ciphertexts from `openssl enc -nopad` (SEED through the legacy provider).")
    rows = []
    modes = [("ecb", "0x00"), ("cbc", "0x20"), ("cfb", "0x4C"), ("ofb", "0x60")]
    index = 1
    for cipher, value, key_length in [("seed", "0x04000100", 16), ("aria-128", "0x03000100", 16),
                                      ("aria-192", "0x03000200", 24),
                                      ("aria-256", "0x03000300", 32)]:
        key = fixed_input(f"kat {cipher} key", key_length)
        key_name = h.array(f"kBlock{cipher.replace('-', '').capitalize()}Key", key)
        for mode, mode_value in modes:
            plaintext = fixed_input(f"kat block plaintext {index}", 16)
            iv = fixed_input(f"kat block iv {index}", 16)
            expected = block_encrypt(cipher, mode, key, iv, plaintext)
            names = [h.array(f"kBlock{index}Plaintext", plaintext), h.array(f"kBlock{index}Iv", iv),
                     h.array(f"kBlock{index}Expected", expected)]
            rows.append(f"    // {cipher.upper()} {'CFB128' if mode == 'cfb' else mode.upper()}")
            rows += row([f"{value}u | {mode_value}u", key_name, names[1], names[0], names[2]])
            index += 1
    h.raw("inline constexpr BlockCipherVector kBlockCipher[] = {")
    h.lines += rows
    h.raw("};")
    h.raw("")

    for label, path in RSA_KEYS.items():
        h.comment(f"RSA-2048 key of the {label} test: tools/kat_vectors/{path.name} "
                  "(openssl genpkey, e = 65537).")
        e, d, n, p, q = rsa_key(path)
        names = [h.array(f"k{label}{part}", v)
                 for part, v in zip(["E", "D", "N", "P", "Q"], [e, d, n, p, q])]
        h.raw(f"inline constexpr RsaKey k{label}Key = {{" + ", ".join(names) + "};")
        length = 62 if label == "Rsaes" else 128
        h.array(f"k{label}Message", fixed_input(f"kat {label.lower()} message", length))
        h.raw("")

    h.comment("KCDSA (TTAK.KO-12.0001/R4): KISA KCMVP signature-generation vectors, X below Q;")
    h.comment("R left-padded to its width.")
    rows = []
    for i, (qbits, digest) in enumerate([(224, "SHA-224"), (256, "SHA-256")], 1):
        values, source = kcdsa_vector(qbits)
        h.comment(f"{digest}: {source}")
        names = [h.array(f"kKcdsa{i}{part}", v)
                 for part, v in zip(["P", "Q", "G", "X", "Y", "Message", "R", "S"], values)]
        rows += row([DIGESTS[digest][0]] + names)
    h.raw("inline constexpr KcdsaVector kKcdsa[] = {")
    h.lines += rows
    h.raw("};")

    text = "\n".join([
        "#pragma once",
        "// The vectors of the known-answer tests. Generated by tools/kat_vectors/make_kat_vectors.py",
        "// (run it again to re-derive them); do not edit.",
        "#include <cstdint>",
        "",
        '#include "crypto/selftest/kat_data.h"',
        '#include "zlc.h"',
        "",
        "namespace zlc::selftest::vectors {",
        "",
    ] + h.lines + ["", "}  // namespace zlc::selftest::vectors", ""])
    if check:
        if out_path.read_text() != text:
            raise SystemExit(f"{out_path} differs from the vectors its sources give")
        return
    out_path.write_text(text)


if __name__ == "__main__":
    main()
