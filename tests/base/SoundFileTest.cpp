// SoundFileTest: the type rule, and play times of Ogg Vorbis files written here with libvorbisenc.
#include "base/SoundFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#if SERVER_HAVE_VORBISENC
#include <vorbis/vorbisenc.h>
#endif

TEST(SoundFileTest, TypeByName)
{
    struct Case {
        const char* name;
        int32_t type;
    } cases[] = {
        {"speech\\hello.ogg", SoundFile::kOggVorbis},
        {"MUSIC.OGG", SoundFile::kOggVorbis},
        {"a.Ogg", SoundFile::kOggVorbis},
        {"x.wav", SoundFile::kWave},
        {"b.wav", SoundFile::kWave},
        {"track.mp3", SoundFile::kUnknown},
        {"wav", SoundFile::kUnknown},  // shorter than four characters
        {"ogg", SoundFile::kUnknown},
        {"xogg", SoundFile::kOggVorbis},
        {"", SoundFile::kUnknown},
        {nullptr, SoundFile::kUnknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SoundFile::GetType(c.name), c.type) << (c.name ? c.name : "null");
}

TEST(SoundFileTest, LengthOfUnreadableFiles)
{
    TempDir tmp;
    tmp.Write("noise.ogg", std::string(5000, 'x'));
    tmp.Write("empty.ogg", "");
    tmp.Write("tone.wav", "RIFF");
    EXPECT_EQ(SoundFile::GetLength((tmp / "missing.ogg").c_str()), 0.0);
    EXPECT_EQ(SoundFile::GetLength((tmp / "noise.ogg").c_str()), 0.0);
    EXPECT_EQ(SoundFile::GetLength((tmp / "empty.ogg").c_str()), 0.0);
    EXPECT_EQ(SoundFile::GetLength((tmp / "tone.wav").c_str()), 0.0);
    EXPECT_EQ(SoundFile::GetLength(nullptr), 0.0);
}

#if SERVER_HAVE_VORBISENC
namespace {

// Writes `samples` frames of a mono sine tone at `rate` Hz.
bool WriteOgg(const std::string& path, long rate, long samples)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 1, rate, 0.3f) != 0) {
        std::fclose(out);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 12345);
    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    ogg_page page;
    while (ogg_stream_flush(&os, &page)) {
        std::fwrite(page.header, 1, size_t(page.header_len), out);
        std::fwrite(page.body, 1, size_t(page.body_len), out);
    }
    long written = 0;
    bool eos = false;
    while (!eos) {
        long chunk = std::min(1024L, samples - written);
        if (chunk > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, int(chunk));
            for (long i = 0; i < chunk; ++i)
                buffer[0][i] = 0.5f * std::sin(float(written + i) * 440.0f * 6.2831853f / float(rate));
            vorbis_analysis_wrote(&vd, int(chunk));
            written += chunk;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (!eos && ogg_stream_pageout(&os, &page)) {
                    std::fwrite(page.header, 1, size_t(page.header_len), out);
                    std::fwrite(page.body, 1, size_t(page.body_len), out);
                    eos = ogg_page_eos(&page);
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return std::fclose(out) == 0;
}

}  // namespace

TEST(SoundFileTest, LengthOfOggVorbis)
{
    TempDir tmp;
    struct Case {
        const char* name;
        long rate;
        long samples;
    } cases[] = {
        {"speech.ogg", 44100, 66150},  // 1.5 s
        {"Short.OGG", 22050, 5000},
        {"long.ogg", 48000, 48000 * 4 + 17},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteOgg(tmp / c.name, c.rate, c.samples));
        double expected = double(c.samples) / double(c.rate);
        double length = SoundFile::GetLength((tmp / c.name).c_str());
        EXPECT_NEAR(length, expected, 1e-9) << c.name;

        // An independent reader agrees, where one is installed.
        std::string out = tmp / "soxi.txt";
        std::string command = "soxi -D '" + (tmp / c.name) + "' > '" + out + "' 2>/dev/null";
        if (std::system("command -v soxi >/dev/null 2>&1") == 0 && std::system(command.c_str()) == 0) {
            EXPECT_NEAR(length, std::atof(tmp.Read("soxi.txt").c_str()), 1e-3) << c.name;
        }

        // Cut short, the file must not give a wrong length or worse.
        std::string whole = tmp.Read(c.name);
        tmp.Write(std::string("cut_") + c.name, whole.substr(0, whole.size() / 2));
        double cut = SoundFile::GetLength((tmp / (std::string("cut_") + c.name)).c_str());
        EXPECT_GE(cut, 0.0);
        EXPECT_LT(cut, expected);
    }
}
#else
TEST(SoundFileTest, LengthOfOggVorbis)
{
    GTEST_SKIP() << "libvorbisenc not installed";
}
#endif
