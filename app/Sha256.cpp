#include "app/Sha256.h"

#ifdef QUILLON_OPENSSL
#include <openssl/evp.h>

namespace {

class TCryptoHasher : public IPackageHasher
{
public:
    TCryptoHasher() : FContext(EVP_MD_CTX_new()) { EVP_DigestInit_ex(FContext, EVP_sha256(), nullptr); }
    ~TCryptoHasher() override { EVP_MD_CTX_free(FContext); }
    TCryptoHasher(const TCryptoHasher&) = delete;
    TCryptoHasher& operator=(const TCryptoHasher&) = delete;

    void Add(const char* Bytes, int64_t Count) override { EVP_DigestUpdate(FContext, Bytes, size_t(Count)); }
    QByteArray Result() override
    {
        unsigned char Digest[EVP_MAX_MD_SIZE];
        unsigned int Size = 0;
        EVP_DigestFinal_ex(FContext, Digest, &Size);
        return QByteArray(reinterpret_cast<const char*>(Digest), int(Size));
    }

private:
    EVP_MD_CTX* FContext;
};

} // namespace

TPackageHasherFactory Sha256Hasher()
{
    return [] { return std::make_unique<TCryptoHasher>(); };
}

#else

TPackageHasherFactory Sha256Hasher()
{
    return {};
}

#endif
