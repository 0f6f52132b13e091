#include "tools/SetGenerator.h"

#include <random>
#include <string>
#include <vector>

namespace {

using Writer = MetafileSetWriter;

const char* const kWords[] = {"guard", "alarm", "door", "step", "wind", "fire", "water", "engine", "crowd", "bell",
                              "sword", "shield", "horse", "rain", "thunder", "forge", "market", "gate", "tower",
                              "chant"};
// Windows-1252 text with accented letters.
const char* const kPhrases[] = {"Halt! Who goes there?",
                                "The gate is closed until dawn.",
                                "Caf\xE9 au lait, s'il vous pla\xEEt.",
                                "Pr\xEAt \xE0 partir, capitaine.",
                                "Gr\xFC\xDF Gott, Wanderer.",
                                "Die T\xFCr ist verschlossen.",
                                "\xBF" "D\xF3nde est\xE1 el se\xF1or?",
                                "Ma\xF1" "ana llegar\xE1 la tormenta.",
                                "Perch\xE9 non rispondi?",
                                "L'\xF2ra \xE8 giunta.",
                                "We ride at first light.",
                                "Bring the horses to the stable.",
                                "No\xEBl approche, \xE9" "coutez les cloches."};

std::string Subtitle(std::mt19937& rng) {
  size_t target = 20 + rng() % 101;  // 20 to 120 characters
  std::string s;
  while (s.size() < target) {
    if (!s.empty()) s += ' ';
    s += kPhrases[rng() % (sizeof kPhrases / sizeof kPhrases[0])];
  }
  s.resize(target);
  return s;
}

}  // namespace

void MakeBenchShape(Writer& w, int n, std::mt19937& rng, const BenchFileFiller& fillFile) {
  const size_t nWords = sizeof kWords / sizeof kWords[0];
  for (int t = 0; t < 255; ++t) {
    Writer::Tag tag;
    bool withSubs = t % 3 != 0;
    tag.name = std::string(withSubs ? "+" : "_") + kWords[t % nWords] + "_" + std::to_string(t);
    if (withSubs) {
      tag.extra = static_cast<uint8_t>(t);
      int subs = 1 + static_cast<int>(rng() % 8);
      for (int s = 0; s < subs; ++s) tag.subNames.push_back(std::string(kWords[(t + s) % nWords]) + std::to_string(s));
    }
    w.tags.push_back(tag);
  }

  int records = std::max(1, static_cast<int>(0.75 * n * 2));
  std::vector<int> handles;
  handles.reserve(static_cast<size_t>(records));
  for (int r = 0; r < records; ++r) {
    Writer::SoundInfo info;
    for (auto& b : info.unknown) b = static_cast<uint8_t>(rng());
    int files = 1 + static_cast<int>(rng() % 3);
    for (int k = 0; k < files; ++k) {
      Writer::SoundFile f;
      f.name = std::string(kWords[rng() % nWords]) + "_" + kWords[rng() % nWords] + "_" + std::to_string(r) + "_" +
               std::to_string(k);
      fillFile(f, r, k);
      info.files.push_back(std::move(f));
    }
    // Records mostly in the hard-drive file, the others in the remaining media.
    int file = (r % 5 == 0) ? 1 + static_cast<int>(rng() % 5) : 2;
    handles.push_back(w.AddRecord(file, std::move(info)));
  }

  for (int i = 0; i < n; ++i) {
    Writer::TaggedSound s;
    int refs = 1 + static_cast<int>(rng() % 3);
    for (int k = 0; k < refs; ++k) {
      uint8_t tag = static_cast<uint8_t>(rng() % 255);
      uint32_t sub = Writer::kInvalid;
      if (!w.tags[tag].subNames.empty() && rng() % 2) sub = rng() % w.tags[tag].subNames.size();
      s.tags.push_back({tag, sub});
    }
    s.info = Writer::Address::Item(handles[rng() % handles.size()]);
    w.taggedSounds.push_back(std::move(s));
  }
  static const char* const kSex[] = {"_male", "_female", ""};
  for (int i = 0; i < n; ++i) {
    Writer::MissionSound m;
    int mission = static_cast<int>(rng() % 9);
    m.name = (mission < 8 ? "m0" + std::to_string(mission) + "_" : std::string("amb_")) + kWords[rng() % nWords] +
             "_" + std::to_string(i) + kSex[rng() % 3];
    m.info = Writer::Address::Item(handles[rng() % handles.size()]);
    w.missionSounds.push_back(std::move(m));
  }
}

void MakeBenchSet(Writer& w, int n, uint32_t seed) {
  std::mt19937 rng(seed);
  // Offsets spread over the medium files 1 to 5 without the bytes being stored.
  MakeBenchShape(w, n, rng, [&rng](Writer::SoundFile& f, int, int) {
    int medium = 1 + static_cast<int>(rng() % 5);
    uint32_t offset = 0x100 + static_cast<uint32_t>(rng() % 0x1000000);
    if (rng() % 50 == 0)
      f.data = Writer::Address::Raw(Writer::kInvalid);
    else
      f.data = Writer::Address::Raw((static_cast<uint32_t>(medium) << 29) | offset);
    if (rng() % 4 == 0)
      f.oggSize = 2000 + rng() % 400000;
    else
      f.wavSize = 2000 + rng() % 800000;
    for (auto& s : f.subtitles) s = Subtitle(rng);
  });
}

void MakeSampleSet(Writer& w) {
  auto file = [](std::string name, Writer::Address data, uint32_t wav, uint32_t ogg, std::string subtitle) {
    Writer::SoundFile f;
    f.name = std::move(name);
    f.data = data;
    f.wavSize = wav;
    f.oggSize = ogg;
    f.subtitles = {subtitle, subtitle.empty() ? "" : "FR " + subtitle, subtitle.empty() ? "" : "IT " + subtitle,
                   subtitle.empty() ? "" : "DE " + subtitle, subtitle.empty() ? "" : "ES " + subtitle};
    return f;
  };
  w.tags = {{"+Ambient", 3, {"Calm", "Storm"}}, {"_Weapons", 0, {}}, {"+Voice", 1, {"Guard", "Merchant", "Caf\xE9"}}};

  int wavA = w.AddData(3, std::vector<uint8_t>(600, 0x11));
  int oggA = w.AddData(4, std::vector<uint8_t>(400, 0x22));
  int wavB = w.AddData(5, std::vector<uint8_t>(300, 0x33));

  Writer::SoundInfo wind;
  wind.files.push_back(file("wind_calm", Writer::Address::Item(wavA), 600, 0, "The wind is calm."));
  wind.files.push_back(file("wind_storm", Writer::Address::Item(oggA), 0, 400, "A storm is coming."));
  for (size_t i = 0; i < wind.unknown.size(); ++i) wind.unknown[i] = static_cast<uint8_t>(i);
  int windRec = w.AddRecord(2, wind);

  Writer::SoundInfo sword;
  sword.files.push_back(file("sword_clash", Writer::Address::Item(wavB), 300, 0, ""));
  sword.files.push_back(file("none", Writer::Address::Raw(Writer::kInvalid), 0, 0, ""));
  int swordRec = w.AddRecord(1, sword);

  Writer::SoundInfo halt;
  halt.files.push_back(file("guard_halt", Writer::Address::Item(wavA), 600, 0, "Halt! Caf\xE9 ferm\xE9."));
  halt.files.push_back(file("guard_lost", Writer::Address::Raw(Writer::kInvalid), 0, 0, "Lost\tline"));
  int haltRec = w.AddRecord(2, halt);

  Writer::SoundInfo female;
  female.files.push_back(file("merchant_f", Writer::Address::Item(oggA), 0, 400, "Welcome, traveller."));
  int femaleRec = w.AddRecord(5, female);

  w.taggedSounds = {{{{0, 0}}, Writer::Address::Item(windRec)},
                    {{{0, 1}, {1, Writer::kInvalid}}, Writer::Address::Item(windRec)},
                    {{{1, Writer::kInvalid}}, Writer::Address::Item(swordRec)},
                    {{{2, 2}, {0xFF, Writer::kInvalid}, {7, Writer::kInvalid}, {2, 258}}, Writer::Address::Item(haltRec)},
                    {{}, Writer::Address::Raw(Writer::kInvalid)}};
  w.missionSounds = {{"m01_guard_halt_male", Writer::Address::Item(haltRec)},
                     {"m03_merchant_FEMALE", Writer::Address::Item(femaleRec)},
                     {"m07_crowd", Writer::Address::Item(windRec)},
                     {"M02_guard_male", Writer::Address::Item(haltRec)},
                     {"amb_forest", Writer::Address::Item(swordRec)},
                     {"m06_gate_female", Writer::Address::Item(femaleRec)}};
}
