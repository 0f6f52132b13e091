#include "tools/AudioWriters.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "codec/XboxAdpcm.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

uint32_t Get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// A chunk with its pad byte.
void PutChunk(std::vector<uint8_t>& out, const char* tag, const std::vector<uint8_t>& body) {
  PutTag(out, tag);
  Put32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
}

std::vector<uint8_t> InfoList(const std::string& title) {
  std::vector<uint8_t> list;
  PutTag(list, "INFO");
  std::vector<uint8_t> name(title.begin(), title.end());
  name.push_back(0);
  PutChunk(list, "INAM", name);
  return list;
}

// RIFF header around the chunks; the size counts everything after it.
std::vector<uint8_t> Riff(const std::vector<uint8_t>& chunks) {
  std::vector<uint8_t> out;
  PutTag(out, "RIFF");
  Put32(out, static_cast<uint32_t>(4 + chunks.size()));
  PutTag(out, "WAVE");
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

int16_t ToPcm16(float s) {
  long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
  return static_cast<int16_t>(v);
}

}  // namespace

std::vector<uint8_t> WriteWavePcm(const Clip& clip, int bits, const std::string& title) {
  const uint32_t bytesPerSample = bits == 8 ? 1 : 2, align = bytesPerSample * static_cast<uint32_t>(clip.channels);
  std::vector<uint8_t> fmt;
  Put16(fmt, kWaveFormatPcm);
  Put16(fmt, static_cast<uint32_t>(clip.channels));
  Put32(fmt, static_cast<uint32_t>(clip.rate));
  Put32(fmt, static_cast<uint32_t>(clip.rate) * align);
  Put16(fmt, align);
  Put16(fmt, bytesPerSample * 8);

  std::vector<uint8_t> data;
  data.reserve(clip.samples.size() * bytesPerSample);
  for (float s : clip.samples) {
    if (bits == 8)
      data.push_back(static_cast<uint8_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 127.0f) + 128));
    else
      Put16(data, static_cast<uint16_t>(ToPcm16(s)));
  }
  std::vector<uint8_t> chunks;
  PutChunk(chunks, "fmt ", fmt);
  if (!title.empty()) PutChunk(chunks, "LIST", InfoList(title));
  PutChunk(chunks, "data", data);
  return Riff(chunks);
}

std::vector<uint8_t> WriteWaveXboxAdpcm(const Clip& clip, const std::string& title) {
  const int ch = clip.channels;
  const uint32_t align = static_cast<uint32_t>(kXboxAdpcmBlockBytes * ch);
  std::vector<uint8_t> fmt;
  Put16(fmt, kWaveFormatXboxAdpcm);
  Put16(fmt, static_cast<uint32_t>(ch));
  Put32(fmt, static_cast<uint32_t>(clip.rate));
  Put32(fmt, static_cast<uint32_t>(clip.rate) * align / kXboxAdpcmBlockSamples);
  Put16(fmt, align);
  Put16(fmt, 4);
  Put16(fmt, 2);
  Put16(fmt, kXboxAdpcmBlockSamples);

  const size_t frames = clip.Frames();
  const size_t blocks = (frames + kXboxAdpcmBlockSamples - 1) / kXboxAdpcmBlockSamples;
  std::vector<int16_t> pcm(blocks * kXboxAdpcmBlockSamples * static_cast<size_t>(ch), 0);
  for (size_t i = 0; i < clip.samples.size(); ++i) pcm[i] = ToPcm16(clip.samples[i]);
  const std::vector<uint8_t> data = XboxAdpcmEncode(pcm, ch);

  std::vector<uint8_t> fact;
  Put32(fact, static_cast<uint32_t>(frames));
  std::vector<uint8_t> chunks;
  PutChunk(chunks, "fmt ", fmt);
  PutChunk(chunks, "fact", fact);
  PutChunk(chunks, "LIST", InfoList(title));
  PutChunk(chunks, "data", data);
  return Riff(chunks);
}

std::vector<uint8_t> WriteOggVorbis(const Clip& clip, float quality, int serial) {
  std::vector<uint8_t> out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, clip.channels, clip.rate, quality) != 0) {
    vorbis_info_clear(&vi);
    return out;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "ENCODER", "vantor-mkset");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);

  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  auto take = [&](const ogg_page& p) {
    out.insert(out.end(), p.header, p.header + p.header_len);
    out.insert(out.end(), p.body, p.body + p.body_len);
  };
  while (ogg_stream_flush(&os, &page) != 0) take(page);

  const size_t frames = clip.Frames(), ch = static_cast<size_t>(clip.channels), chunk = 1024;
  bool eos = false;
  for (size_t at = 0; !eos;) {
    size_t n = std::min(chunk, frames - at);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (size_t i = 0; i < n; ++i)
        for (size_t k = 0; k < ch; ++k) buffer[k][i] = clip.samples[(at + i) * ch + k];
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      at += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet)) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page) != 0) {
          take(page);
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
    if (n == 0 && !eos) {
      while (ogg_stream_flush(&os, &page) != 0) take(page);
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

bool ParseWavePcm(const std::vector<uint8_t>& b, Clip* clip) {
  if (b.size() < 12 || memcmp(b.data(), "RIFF", 4) != 0 || memcmp(b.data() + 8, "WAVE", 4) != 0) return false;
  int bits = 0;
  bool haveFormat = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    uint32_t size = Get32(&b[at + 4]);
    size_t body = at + 8, avail = std::min<size_t>(size, b.size() - body);
    if (memcmp(&b[at], "fmt ", 4) == 0 && avail >= 16) {
      if (Get16(&b[body]) != kWaveFormatPcm) return false;
      clip->channels = Get16(&b[body + 2]);
      clip->rate = static_cast<int>(Get32(&b[body + 4]));
      bits = Get16(&b[body + 14]);
      haveFormat = (bits == 8 || bits == 16) && clip->channels >= 1 && clip->channels <= 2 && clip->rate > 0;
    } else if (memcmp(&b[at], "data", 4) == 0 && haveFormat) {
      // espeak-ng writes its data size only when it can seek back; trust the file's end then.
      if (size == 0 || size == 0xFFFFFFFF || size > b.size() - body) avail = b.size() - body;
      clip->samples.clear();
      if (bits == 8) {
        for (size_t i = 0; i < avail; ++i) clip->samples.push_back((b[body + i] - 128) / 128.0f);
      } else {
        for (size_t i = 0; i + 1 < avail; i += 2)
          clip->samples.push_back(static_cast<int16_t>(Get16(&b[body + i])) / 32768.0f);
      }
      clip->samples.resize(clip->samples.size() / static_cast<size_t>(clip->channels) *
                           static_cast<size_t>(clip->channels));
      return true;
    }
    at = body + size + (size & 1);
  }
  return false;
}

bool ReadWave(const std::string& path, Clip* clip) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> bytes;
  uint8_t buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  fclose(f);
  return ParseWavePcm(bytes, clip);
}
