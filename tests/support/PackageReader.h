#pragma once

// Reads a code package back as far as the tests need, byte by byte and without the program's
// stream primitives, so that it checks the layout independently of the writer. Every tag and size
// is checked as it goes; a package that ends early throws.

#include "foundation/GUID.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>

class TPackageReader
{
public:
    explicit TPackageReader(QByteArray Bytes) : FBytes(std::move(Bytes)) {}

    TGUID ID;
    QList<TGUID> Objects;
    // Per embedded file in package order: the driver's file name, the code module's reference
    // (a linked module's full path, with no bytes) or the support file's target; and its bytes.
    QStringList Names;
    QList<QByteArray> Contents;
    // The source path of each code module.
    QStringList Sources;

    void Read()
    {
        Tag("{3A3FAFEE-72FC-4E6B-9926-346364EE3339}");
        const qsizetype HeaderEnd = Int() + FAt;
        Tag("{73C4192B-FF81-4403-A535-55B2E4C53FB0}");
        ID = Guid();
        Guid();
        for (int I = 0; I < 5; ++I)
            Str();
        Skip(8 + 2);
        for (int I = Int(); I > 0; --I)
            Objects.append(Guid());
        EXPECT_EQ(FAt, HeaderEnd);
        EXPECT_EQ(Int() + FAt, FBytes.size());
        Tag("{1432A206-8F6B-4D7E-B03E-BBE2ECF80807}");
        Section("{43D130EE-4C74-4B03-94D4-DBC7CCA8EDB5}", [this] { Record(4); });
        Section("{F991917F-D2B1-480F-9DC5-2F2F74E96ABD}", [this] { Record(4); });
        Section("{912D224B-07BD-454D-92DB-C1874F1514F6}", [this] { Record(4); });
        Section("{745A65ED-55A4-4F78-A5F2-DF61E6362114}", [this] {
            Record(1);
            Int();
            Str(), Str(), Str();
        });
        Section("{94AF441C-1A1A-4258-BC1B-BBCDDB81350A}", [this] { Record(3); });
        Section("{00FB6071-2199-49DA-B9C4-B2924A73D7D6}", [this] {
            Guid();
            Str();
            const QString FileName = Str();
            Skip(4 + 4 + 1);
            Str(), Str();
            Skip(16);
            Embedded(FileName);
        });
        Section("{AF650862-0640-40E0-A547-68F8B53C34A3}", [this] { CodeModule(); });
        EXPECT_EQ(FAt, FBytes.size());
    }

private:
    void Need(qsizetype Count)
    {
        if (Count < 0 || FAt + Count > FBytes.size())
            throw std::runtime_error("package ends early");
    }
    void Skip(qsizetype Count)
    {
        Need(Count);
        FAt += Count;
    }
    TGUID Guid()
    {
        Need(16);
        FAt += 16;
        return TGUID::FromBytes(reinterpret_cast<const uint8_t*>(FBytes.constData() + FAt - 16));
    }
    int32_t Int()
    {
        Need(4);
        int32_t Value = 0;
        std::memcpy(&Value, FBytes.constData() + FAt, 4);
        FAt += 4;
        return Value;
    }
    QString Str()
    {
        const int32_t Count = Int();
        Need(Count);
        FAt += Count;
        return QString::fromLatin1(FBytes.mid(FAt - Count, Count));
    }
    void Tag(const char* Expected) { EXPECT_EQ(Guid(), TGUID::Parse(Expected)); }
    void Record(int Strings)
    {
        Guid();
        for (int I = 0; I < Strings; ++I)
            Str();
    }
    void Section(const char* Expected, const std::function<void()>& ReadRecord)
    {
        Tag(Expected);
        for (int I = Int(); I > 0; --I)
            ReadRecord();
    }
    void GUIDList()
    {
        for (int I = Int(); I > 0; --I)
            Guid();
    }
    void Embedded(const QString& Name)
    {
        const auto Size = static_cast<uint32_t>(Int());
        Need(Size);
        Names.append(Name);
        Contents.append(FBytes.mid(FAt, Size));
        FAt += Size;
    }
    void CodeModule()
    {
        Guid();
        Str();
        const QString Reference = Str();
        Skip(4 + 4 + 3);
        Sources.append(Str());
        Str(), Str();
        Skip(16);
        GUIDList(), GUIDList(), GUIDList();
        Embedded(Reference);
        Section("{2D729A87-6FA6-4A8C-AA43-4808703D5905}", [this] {
            Guid(), Str(), Str();
            Skip(2 + 32 + 1 + 8);
            for (int I = Int(); I > 0; --I)
                Str();
            Skip(4);
            Section("{579391E4-FCCF-4A50-BCB2-FD46782436A9}", [this] {
                Guid();
                Skip(4 + 1);
                for (int I = 0; I < 7; ++I)
                    GUIDList();
            });
        });
        Section("{0F54786B-8BD1-4423-916E-2C8351E250F2}", [this] {
            Guid(), Str(), Str();
            for (int I = Int(); I > 0; --I)
                Str();
            Skip(5);
        });
        Section("{CB153FEA-0A3D-4CA7-A4C0-9E079F7AA8A1}", [this] {
            const QString Target = Str();
            Skip(1 + 16);
            Embedded(Target);
        });
    }

    QByteArray FBytes;
    qsizetype FAt = 0;
};
