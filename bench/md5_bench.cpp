// Throughput of the package's md5 against OpenSSL's MD5, hashing the same
// buffers the way the package does: one digest per buffer, built from it and
// read out raw. Prints the median of several runs per buffer size.
#include <openssl/evp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/md5.hpp"

namespace {

constexpr int runs = 5;
constexpr std::size_t bytes_per_run = std::size_t{128} << 20;

// Receives a byte of every digest, so the compiler cannot drop a hash.
volatile unsigned char digest_sink = 0;

struct md_ctx_free {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct md_free {
    void operator()(EVP_MD* method) const { EVP_MD_free(method); }
};

// OpenSSL's MD5 with its method fetched once and one context reused, its
// fastest way through the EVP interface.
class openssl_md5 {
  public:
    openssl_md5() : method_(EVP_MD_fetch(nullptr, "MD5", nullptr)), context_(EVP_MD_CTX_new()) {
        if (!method_ || !context_) {
            throw std::runtime_error("EVP_MD_fetch or EVP_MD_CTX_new failed");
        }
    }

    std::string raw_digest(const std::string& message) {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (EVP_DigestInit_ex2(context_.get(), method_.get(), nullptr) != 1 ||
            EVP_DigestUpdate(context_.get(), message.data(), message.size()) != 1 ||
            EVP_DigestFinal_ex(context_.get(), digest, &length) != 1) {
            throw std::runtime_error("EVP_Digest* failed");
        }
        return std::string(reinterpret_cast<const char*>(digest), length);
    }

  private:
    std::unique_ptr<EVP_MD, md_free> method_;
    std::unique_ptr<EVP_MD_CTX, md_ctx_free> context_;
};

// length bytes of every byte value.
std::string make_buffer(std::size_t length) {
    std::string buffer(length, '\0');
    for (std::size_t k = 0; k < length; ++k) {
        buffer[k] = static_cast<char>(static_cast<unsigned char>((131 * k + 7) % 256));
    }
    return buffer;
}

// Median throughput in MB/s (10^6 bytes per second) of hashing buffer with
// hash, which returns the raw digest; each run hashes about bytes_per_run bytes.
template <typename Hash>
double median_mb_per_s(const std::string& buffer, Hash hash) {
    const std::size_t hashes = std::max<std::size_t>(1, bytes_per_run / buffer.size());
    std::vector<double> rates;
    unsigned char mixed = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t k = 0; k < hashes; ++k) {
            mixed = static_cast<unsigned char>(mixed ^ static_cast<unsigned char>(hash(buffer)[0]));
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        rates.push_back(static_cast<double>(hashes * buffer.size()) / elapsed.count() / 1e6);
    }
    digest_sink = mixed;
    std::sort(rates.begin(), rates.end());
    return rates[rates.size() / 2];
}

std::string size_text(std::size_t bytes) {
    if (bytes >= (std::size_t{1} << 20)) {
        return std::to_string(bytes >> 20) + " MiB";
    }
    if (bytes >= (std::size_t{1} << 10)) {
        return std::to_string(bytes >> 10) + " KiB";
    }
    return std::to_string(bytes) + " B";
}

}  // namespace

int main() {
    const std::vector<std::size_t> sizes = {64, std::size_t{4} << 10, std::size_t{1} << 20,
                                            std::size_t{64} << 20};
    openssl_md5 reference;
    const auto ours = [](const std::string& message) { return md5{message}.raw_digest(); };
    const auto theirs = [&reference](const std::string& message) {
        return reference.raw_digest(message);
    };

    std::printf("%-8s %12s %14s %14s\n", "size", "ours MB/s", "OpenSSL MB/s", "ours/OpenSSL");
    for (const std::size_t size : sizes) {
        const std::string buffer = make_buffer(size);
        if (ours(buffer) != theirs(buffer)) {
            std::fprintf(stderr, "digests differ for %s\n", size_text(size).c_str());
            return 1;
        }
        const double our_rate = median_mb_per_s(buffer, ours);
        const double their_rate = median_mb_per_s(buffer, theirs);
        std::printf("%-8s %12.1f %14.1f %14.3f\n", size_text(size).c_str(), our_rate, their_rate,
                    our_rate / their_rate);
    }
    return 0;
}
