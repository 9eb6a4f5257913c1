// Checks the shipped artwork: the application icon holds the ten images the
// Windows shell and the desktop pick from, and the banner and footer have the
// sizes the main window is laid out for. Bytes are parsed directly so that a
// broken file is caught even where no image plugin would load it.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readAsset(const std::string &name)
{
    std::ifstream in(std::string(VELLACOR_ASSET_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t le(const Bytes &b, std::size_t at, int n)
{
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | b.at(at + i);
    return v;
}

std::uint32_t be(const Bytes &b, std::size_t at, int n)
{
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | b.at(at + i);
    return v;
}

struct Frame {
    std::uint32_t width = 0, height = 0;
};

// Walks the JPEG markers up to the first baseline or progressive frame header.
Frame jpegFrame(const Bytes &b)
{
    std::size_t at = 2;
    while (at + 9 < b.size() && b[at] == 0xFF) {
        const std::uint8_t marker = b[at + 1];
        if (marker == 0xC0 || marker == 0xC2)
            return {be(b, at + 7, 2), be(b, at + 5, 2)};
        at += 2 + be(b, at + 2, 2);
    }
    return {};
}

} // namespace

TEST(Assets, IconHoldsTheTenImagesInOrder)
{
    const Bytes ico = readAsset("vellacor.ico");
    ASSERT_GE(ico.size(), 6u + 10 * 16);
    EXPECT_EQ(le(ico, 0, 2), 0u); // reserved
    EXPECT_EQ(le(ico, 2, 2), 1u); // 1 = icon
    ASSERT_EQ(le(ico, 4, 2), 10u);

    const struct {
        std::uint32_t size, bpp;
    } expected[10] = {{16, 8}, {16, 32}, {24, 32}, {32, 8},  {32, 32},
                      {48, 8}, {48, 32}, {64, 32}, {72, 32}, {128, 32}};
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const std::size_t entry = 6 + 16 * i;
        const std::uint32_t size = expected[i].size, bpp = expected[i].bpp;
        EXPECT_EQ(ico[entry], size % 256);
        EXPECT_EQ(ico[entry + 1], size % 256);
        EXPECT_EQ(le(ico, entry + 6, 2), bpp);
        const std::uint32_t bytes = le(ico, entry + 8, 4), offset = le(ico, entry + 12, 4);
        ASSERT_GE(offset, 6u + 10 * 16);
        ASSERT_GE(bytes, 40u);
        ASSERT_LE(std::uint64_t(offset) + bytes, ico.size());

        const Bytes image(ico.begin() + offset, ico.begin() + offset + bytes);
        if (Bytes(image.begin(), image.begin() + 8) == png) {
            EXPECT_EQ(bpp, 32u) << "a PNG entry is always RGBA here";
            EXPECT_EQ(std::string(image.begin() + 12, image.begin() + 16), "IHDR");
            EXPECT_EQ(be(image, 16, 4), size);
            EXPECT_EQ(be(image, 20, 4), size);
            EXPECT_EQ(image.at(24), 8u); // bits per channel
            EXPECT_EQ(image.at(25), 6u); // RGBA
        } else {
            EXPECT_EQ(le(image, 0, 4), 40u); // BITMAPINFOHEADER
            EXPECT_EQ(le(image, 4, 4), size);
            EXPECT_EQ(le(image, 8, 4), 2 * size); // colour bitmap + AND mask
            EXPECT_EQ(le(image, 14, 2), bpp);
            EXPECT_EQ(le(image, 16, 4), 0u); // uncompressed
            const std::uint32_t palette = bpp == 8 ? 256 * 4 : 0;
            const std::uint32_t row = (size * bpp + 31) / 32 * 4, maskRow = (size + 31) / 32 * 4;
            EXPECT_EQ(bytes, 40 + palette + size * (row + maskRow));
        }
    }
}

TEST(Assets, BannerAndFooterAreJpegsOfTheLaidOutSize)
{
    const struct {
        const char *name;
        std::uint32_t width, height;
    } pictures[] = {{"banner.jpg", 500, 100}, {"footer.jpg", 500, 50}};
    for (const auto &p : pictures) {
        SCOPED_TRACE(p.name);
        const Bytes jpeg = readAsset(p.name);
        ASSERT_GE(jpeg.size(), 4u);
        EXPECT_EQ(be(jpeg, 0, 2), 0xFFD8u);
        const Frame frame = jpegFrame(jpeg);
        EXPECT_EQ(frame.width, p.width);
        EXPECT_EQ(frame.height, p.height);
    }
}
