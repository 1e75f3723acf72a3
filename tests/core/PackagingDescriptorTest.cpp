// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/Descriptor.h"

#include "model/Site.h"

#include "QtPrinters.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

QByteArray manifestFor(const QByteArray& encodedName)
{
    return "Manifest-Version: 1.0\r\n"
           "MicroEdition-Configuration: CLDC-1.0\r\n"
           "MIDlet-Name: " +
           encodedName +
           "\r\n"
           "Created-By: 1.5.0-beta (Sun Microsystems Inc.)\r\n"
           "MIDlet-Vendor: " +
           site::vendorName().toLatin1() +
           "\r\n"
           "MIDlet-1: " +
           encodedName +
           ",/icon.png,demo\r\n"
           "MIDlet-Version: 1.0.0\r\n"
           "MicroEdition-Profile: MIDP-1.0\r\n";
}

} // namespace

TEST(Descriptor, ManifestOfAnAsciiBookIsTheEightLines)
{
    EXPECT_EQ(savetoutf8(composeManifest(u"  ABC "_s)), manifestFor("ABC"));
}

TEST(Descriptor, ChineseNameIsWrittenInThreeByteForm)
{
    const QByteArray bytes = savetoutf8(composeManifest(u"三国(02)"_s));
    EXPECT_EQ(bytes, manifestFor("\xE4\xB8\x89\xE5\x9B\xBD(02)"));
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
}

TEST(Descriptor, EncoderFollowsTheCodePageTable)
{
    // Single-byte codes are their byte, the euro sign included.
    EXPECT_EQ(encodeDescriptorText(u"A~\x7F"_s), QByteArray("A~\x7F"));
    EXPECT_EQ(encodeDescriptorText(u"\u20AC"_s), QByteArray("\x80"));
    // Double-byte characters: the UTF-16 unit in three bytes, also below U+0800.
    EXPECT_EQ(encodeDescriptorText(u"中"_s), QByteArray("\xE4\xB8\xAD"));
    EXPECT_EQ(encodeDescriptorText(u"\u00E9"_s), QByteArray("\xE0\x83\xA9"));
    EXPECT_EQ(encodeDescriptorText(u"\uFF0C"_s), QByteArray("\xEF\xBC\x8C")); // full-width comma, A3AC
    // U+0000 has code 0.
    EXPECT_EQ(encodeDescriptorText(QStringView(u"\0", 1)), QByteArray("\xE0\x80\x80"));
    // No code: '?', each half of a surrogate pair too.
    EXPECT_EQ(encodeDescriptorText(u"\U0001F600"_s), QByteArray("??"));
    EXPECT_EQ(encodeDescriptorText(u"\u0E01"_s), QByteArray("?")); // Thai has no code in 936
}

TEST(Descriptor, JadAddsSizeAndUrlAndReplacesLongerOlderFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString url = dir.filePath(u"书(01)"_s);
    const QString manifesttext = composeManifest(u"ABC"_s);

    ASSERT_TRUE(savetoutf9(manifesttext + jadLines(123456789, u"书(01).jar"_s), url));
    ASSERT_TRUE(savetoutf9(manifesttext + jadLines(4096, u"书(01).jar"_s), url));

    const QByteArray expected =
        manifestFor("ABC") + "MIDlet-Jar-Size: 4096\r\nMIDlet-Jar-URL: " + QByteArray("\xE4\xB9\xA6") + "(01).jar\r\n";
    EXPECT_EQ(test::readFile(url + u".jad"_s), expected);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"书(01).jad"_s});
}

TEST(Descriptor, JadWriteIntoMissingFolderFailsWithPath)
{
    QTemporaryDir dir;
    const QString url = QDir(dir.path()).filePath(u"missing/x"_s);
    const auto r = savetoutf9(composeManifest(u"A"_s), url);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u"无法写入文件："_s + QDir::toNativeSeparators(url + u".jad"_s));
}
