#include "Cp1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

// The tool and the window decode with our own table; it must agree with
// Qt's converter byte for byte, both ways.
TEST(Cp1252Qt, TableAgreesWithQtForEveryByte)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QStringDecoder decoder("windows-1252");
    ASSERT_TRUE(decoder.isValid());
    const QString decoded = decoder.decode(all);
    ASSERT_EQ(decoded.size(), 256);
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(decoded.at(b).unicode(), Cp1252ToUnicode(static_cast<unsigned char>(b))) << b;
        EXPECT_EQ(UnicodeToCp1252(decoded.at(b).unicode()), b);
    }
    QStringEncoder encoder("windows-1252");
    EXPECT_EQ(QByteArray(encoder.encode(decoded)), all);
}
