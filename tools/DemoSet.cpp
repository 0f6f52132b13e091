#include <functional>
#include <map>

#include "tools/AudioSets.h"
#include "tools/AudioWriters.h"

namespace {

using Writer = MetafileSetWriter;
using synth::Stereo;

constexpr AudioFormat W8M11{AudioKind::Pcm8, 11025, 1};
constexpr AudioFormat W8M22{AudioKind::Pcm8, 22050, 1};
constexpr AudioFormat W8S22{AudioKind::Pcm8, 22050, 2};
constexpr AudioFormat W16M11{AudioKind::Pcm16, 11025, 1};
constexpr AudioFormat W16S11{AudioKind::Pcm16, 11025, 2};
constexpr AudioFormat W16M22{AudioKind::Pcm16, 22050, 1};
constexpr AudioFormat W16S22{AudioKind::Pcm16, 22050, 2};
constexpr AudioFormat W16M44{AudioKind::Pcm16, 44100, 1};
constexpr AudioFormat W16S44{AudioKind::Pcm16, 44100, 2};
constexpr AudioFormat XM22{AudioKind::XboxAdpcm, 22050, 1};
constexpr AudioFormat XS22{AudioKind::XboxAdpcm, 22050, 2};
constexpr AudioFormat XM44{AudioKind::XboxAdpcm, 44100, 1};
constexpr AudioFormat XS44{AudioKind::XboxAdpcm, 44100, 2};
constexpr AudioFormat OM11{AudioKind::Ogg, 11025, 1};
constexpr AudioFormat OM22{AudioKind::Ogg, 22050, 1};
constexpr AudioFormat OS22{AudioKind::Ogg, 22050, 2};
constexpr AudioFormat OS44{AudioKind::Ogg, 44100, 2};

// Notes in Hz.
constexpr double C4 = 261.63, E4 = 329.63, F4 = 349.23, G4 = 392.0, A4 = 440.0, B4 = 493.88, C5 = 523.25,
                 D5 = 587.33, E5 = 659.25, G5 = 783.99, A3 = 220.0, C6 = 1046.5;

struct Effect {
  const char* name;
  AudioFormat format;
  std::function<Clip(int rate)> make;  // mono or stereo at `rate`
};

Clip Pair(const Clip& a, const Clip& b) { return Stereo(a, b); }

const std::vector<Effect>& Effects() {
  using namespace synth;
  static const std::vector<Effect> effects = {
      {"wind_forest", OS44, [](int r) { return Pair(Wind(3.0, r, 1, 0.6), Wind(3.0, r, 2, 0.6)); }},
      {"wind_storm", XS44, [](int r) { return Pair(Wind(3.0, r, 3, 1.6), Wind(3.0, r, 4, 1.5)); }},
      {"river_stream", W16M22, [](int r) { return Water(3.0, r, 5); }},
      {"town_bells", OS44,
       [](int r) { return Stereo(Mix({{0.0, Bell(G4, 3.0, r)}, {0.6, Bell(B4, 2.4, r)}, {1.2, Bell(D5, 1.8, r)}}), -0.2); }},
      {"rain_light", W8S22, [](int r) { return Pair(Rain(3.0, r, 6), Rain(3.0, r, 7)); }},
      {"thunder_far", XM22, [](int r) { return Thunder(3.0, r, 8); }},
      {"thunder_near", W16M11, [](int r) { return Thunder(2.5, r, 9); }},
      {"sword_clash_01", W16M44, [](int r) { return SwordClash(r, 10, 1.0); }},
      {"sword_clash_02", XS44, [](int r) { return Stereo(SwordClash(r, 11, 1.12), 0.3); }},
      {"sword_draw", W8M11, [](int r) { return Whoosh(0.7, r, 12); }},
      {"bow_shot", W16M22, [](int r) { return Mix({{0.0, Click(r)}, {0.05, Whoosh(0.45, r, 13)}}); }},
      {"shield_block", W8M22, [](int r) { return Mix({{0.0, DoorSlam(r, 14)}, {0.0, SwordClash(r, 15, 0.45)}}); }},
      {"door_wood_open", W16M22, [](int r) { return DoorCreak(1.4, r, 16, false); }},
      {"door_wood_close", W8M11, [](int r) { return DoorSlam(r, 17); }},
      {"door_iron_open", XM22, [](int r) { return DoorCreak(1.8, r, 18, true); }},
      {"gate_portcullis", OM22, [](int r) { return DoorCreak(2.5, r, 19, true); }},
      {"steps_stone", W16S22, [](int r) { return Stereo(Footsteps(6, 0.45, r, 20, false), -0.4); }},
      {"steps_grass", W8M11, [](int r) { return Footsteps(6, 0.5, r, 21, true); }},
      {"bell_chapel", W16S44, [](int r) { return Stereo(Bell(C4, 2.5, r), 0.1, 0.4); }},
      {"chime_small", XM44, [](int r) { return Bell(C6, 1.5, r); }},
      {"music_fanfare", XS44, [](int r) { return Stereo(Melody({C5, E5, G5, C6, 0, G5, C6}, 0.22, r), 0.0, 0.5); }},
      {"music_theme", OS44,
       [](int r) {
         return Stereo(Mix({{0.0, Chord({C4, E4, G4}, 1.3, r)},
                            {1.2, Chord({A3, C4, E4}, 1.3, r)},
                            {2.4, Chord({F4, A4, C5}, 1.3, r)},
                            {3.6, Chord({G4, B4, D5}, 1.6, r)}}),
                       0.0, 0.5);
       }},
      {"music_lament", W16S11, [](int r) { return Stereo(Chord({A3, C4, E4, A4}, 3.0, r), 0.0, 0.5); }},
      {"ui_click", W8M11, [](int r) { return Click(r); }},
      {"ui_confirm", W16M22, [](int r) { return Melody({A4 * 2, E5 * 2}, 0.1, r); }},
      {"ui_error", W8M22, [](int r) { return Melody({311.13, 233.08}, 0.15, r); }},
      {"horse_gallop", W16M22, [](int r) { return Hooves(2.5, r, 22); }},
      {"wolf_howl", OM22, [](int r) { return Howl(2.5, r); }},
      {"magic_spark", XS44, [](int r) { return Pair(Sparkle(1.5, r, 23), Sparkle(1.5, r, 24)); }},
      {"magic_heal", OS44, [](int r) { return Stereo(Melody({C5, E5, G5, C6, E5 * 2}, 0.12, r), 0.0, 0.6); }},
      {"forge_anvil", XM22, [](int r) { return Anvil(3, r, 25); }},
      {"fire_crackle", W16M11, [](int r) { return Fire(2.5, r, 26); }},
      {"crowd_market", OS22, [](int r) { return Pair(Crowd(3.0, r, 27), Crowd(3.0, r, 28)); }},
      {"crowd_tavern", W8M22, [](int r) { return Mix({{0.0, Crowd(3.0, r, 29)}, {0.5, Melody({D5, E5, D5, A4}, 0.3, r)}}); }},
  };
  return effects;
}

// Spoken lines: English, French, Italian, German, Spanish.
using Line = std::array<const char*, 5>;
const Line kLines[] = {
    {"Halt! Who goes there?", "Halte ! Qui va là ?", "Alt! Chi va là?", "Halt! Wer da?", "¡Alto! ¿Quién va?"},
    {"The gate is closed until dawn.", "La porte est fermée jusqu'à l'aube.", "Il cancello è chiuso fino all'alba.",
     "Das Tor bleibt bis zum Morgengrauen geschlossen.", "La puerta está cerrada hasta el amanecer."},
    {"Welcome, traveller. Fresh bread and cheese!", "Bienvenue, voyageur. Pain frais et fromage !",
     "Benvenuto, viaggiatore. Pane fresco e formaggio!", "Willkommen, Reisender. Frisches Brot und Käse!",
     "¡Bienvenido, viajero! ¡Pan fresco y queso!"},
    {"We ride at first light.", "Nous partons à l'aube.", "Partiamo alle prime luci.", "Wir reiten beim ersten Licht.",
     "Cabalgamos al alba."},
    {"Bring the horses to the stable.", "Menez les chevaux à l'écurie.", "Porta i cavalli nella stalla.",
     "Bring die Pferde in den Stall.", "Lleva los caballos al establo."},
    {"The bells are ringing. Listen!", "Les cloches sonnent. Écoutez !", "Le campane suonano. Ascoltate!",
     "Die Glocken läuten. Hört zu!", "Suenan las campanas. ¡Escuchad!"},
    {"Raise your shields!", "Levez vos boucliers !", "Alzate gli scudi!", "Hebt die Schilde!", "¡Alzad los escudos!"},
    {"The storm is coming from the north.", "La tempête arrive du nord.", "La tempesta arriva da nord.",
     "Der Sturm kommt aus dem Norden.", "La tormenta llega del norte."},
    {"Thank you, my friend.", "Merci, mon ami.", "Grazie, amico mio.", "Danke, mein Freund.", "Gracias, amigo mío."},
    {"The forge is cold. Light the fire.", "La forge est froide. Allumez le feu.", "La fucina è fredda. Accendi il fuoco.",
     "Die Schmiede ist kalt. Entzünde das Feuer.", "La forja está fría. Enciende el fuego."},
    {"Where is the captain?", "Où est le capitaine ?", "Dov'è il capitano?", "Wo ist der Hauptmann?",
     "¿Dónde está el capitán?"},
    {"The wolves are hungry tonight.", "Les loups ont faim ce soir.", "I lupi hanno fame stanotte.",
     "Die Wölfe sind heute Nacht hungrig.", "Los lobos tienen hambre esta noche."},
    {"Open the door, quickly!", "Ouvrez la porte, vite !", "Apri la porta, presto!", "Öffnet die Tür, schnell!",
     "¡Abrid la puerta, rápido!"},
    {"This sword was forged in fire and ice.", "Cette épée fut forgée dans le feu et la glace.",
     "Questa spada è stata forgiata nel fuoco e nel ghiaccio.", "Dieses Schwert wurde in Feuer und Eis geschmiedet.",
     "Esta espada fue forjada en fuego y hielo."},
    {"Good night, and may the stars guide you.", "Bonne nuit, que les étoiles vous guident.",
     "Buona notte, che le stelle ti guidino.", "Gute Nacht, mögen die Sterne dich führen.",
     "Buenas noches, que las estrellas te guíen."},
    {"The market opens at noon.", "Le marché ouvre à midi.", "Il mercato apre a mezzogiorno.",
     "Der Markt öffnet am Mittag.", "El mercado abre a mediodía."},
    {"Our victory is certain!", "Notre victoire est certaine !", "La nostra vittoria è certa!", "Unser Sieg ist gewiss!",
     "¡Nuestra victoria es segura!"},
    {"Follow me, and stay quiet.", "Suivez-moi, et restez silencieux.", "Seguimi, e resta in silenzio.",
     "Folgt mir und bleibt still.", "Seguidme y guardad silencio."},
    {"The bridge is broken.", "Le pont est cassé.", "Il ponte è crollato.", "Die Brücke ist zerstört.",
     "El puente está roto."},
    {"Welcome to Quarnhold.", "Bienvenue à Quarnhold.", "Benvenuti a Quarnhold.", "Willkommen in Quarnhold.",
     "Bienvenidos a Quarnhold."},
    {"That's enough! Put down your weapons.", "Ça suffit ! Posez vos armes.", "Basta così! Posate le armi.",
     "Genug! Legt die Waffen nieder.", "¡Basta! Bajad las armas."},
    {"Greetings, wanderer. The road is long.", "Salut, voyageur. La route est longue.",
     "Salve, viandante. La strada è lunga.", "Grüß Gott, Wanderer. Die Straße ist lang.",
     "Saludos, caminante. El camino es largo."},
};

// Captions of a few effects.
const Line kBellCaption = {"[Bells ring]", "[Les cloches sonnent]", "[Suonano le campane]", "[Glocken läuten]",
                           "[Repican las campanas]"};
const Line kThunderCaption = {"[Thunder]", "[Tonnerre]", "[Tuono]", "[Donner]", "[Trueno]"};

std::array<std::string, 5> Subtitles(const Line* line) {
  std::array<std::string, 5> out;
  if (line)
    for (int i = 0; i < 5; ++i) out[i] = Utf8ToWindows1252((*line)[i]);
  return out;
}

enum Speaker { MALE, FEMALE, NARRATOR };
const char* const kVoices[] = {"en+m3", "en+f3", "en+m7"};

// Mission sounds: name, line, speaker, and the format of the spoken file.
struct Spoken {
  const char* name;
  int line;
  Speaker speaker;
  AudioFormat format;
};
const Spoken kSpoken[] = {
    {"m01_guard_halt_male", 0, MALE, W16M22},      {"m01_guard_halt_female", 0, FEMALE, XM22},
    {"m01_gate_closed_male", 1, MALE, OM22},       {"m01_intro", 19, NARRATOR, W16S44},
    {"m02_merchant_welcome_female", 2, FEMALE, OM22}, {"m02_merchant_welcome_male", 2, MALE, W8M11},
    {"m02_market_noon_female", 15, FEMALE, XM22}, {"m02_thanks_male", 8, MALE, W16M11},
    {"m02_thanks_female", 8, FEMALE, OM11},        {"m03_ride_dawn_male", 3, MALE, XS22},
    {"m03_horses_stable_male", 4, MALE, W8M22},    {"m03_horses_stable_female", 4, FEMALE, W16M22},
    {"m03_storm_north_female", 7, FEMALE, OS22},   {"m04_bells_listen_female", 5, FEMALE, XM44},
    {"m04_forge_cold_male", 9, MALE, W16M22},      {"m04_sword_forged_male", 13, MALE, OM22},
    {"m05_shields_male", 6, MALE, W8M11},          {"m05_shields_female", 6, FEMALE, XM22},
    {"m05_wolves_female", 11, FEMALE, W16M44},     {"m05_open_door_male", 12, MALE, OM22},
    {"m06_victory_male", 16, MALE, XS44},          {"m06_victory_female", 16, FEMALE, W16M22},
    {"m06_follow_me_female", 17, FEMALE, OM22},    {"m06_bridge_broken_male", 18, MALE, W8S22},
    {"m06_enough_male", 20, MALE, XM22},           {"m07_captain_male", 10, MALE, W16M22},
    {"m07_goodnight_female", 14, FEMALE, OM22},    {"m12_greeting_male", 21, MALE, XM22},
};

void FillUnknown(Writer::SoundInfo& info, int index) {
  // Settings-like bytes: volume, priority, flags, a float and zeros.
  info.unknown.fill(0);
  info.unknown[0] = static_cast<uint8_t>(0x40 + index % 0x40);
  info.unknown[1] = static_cast<uint8_t>(index % 5);
  info.unknown[4] = 0x01;
  info.unknown[8] = 0x00;
  info.unknown[9] = 0x00;
  info.unknown[10] = 0x80;
  info.unknown[11] = 0x3F;  // 1.0f
  info.unknown[16] = static_cast<uint8_t>(index * 37);
  info.unknown[17] = static_cast<uint8_t>(index * 11);
  info.unknown[44] = static_cast<uint8_t>(index & 1);
}

class DemoBuilder {
 public:
  DemoBuilder(Writer& w, AudioSetManifest* manifest) : w_(w), manifest_(manifest) {}

  // Stores an encoded clip in the next medium file and remembers it by name.
  void Store(const std::string& name, const Clip& clip, const AudioFormat& format) {
    Clip conformed = ConformClip(clip, format);
    std::vector<uint8_t> bytes = EncodeClip(conformed, format, name);
    int medium = 1 + static_cast<int>(stored_.size() % 5);
    size_t size = bytes.size();
    int handle = w_.AddData(medium, std::move(bytes));
    stored_[name] = {handle, format.kind == AudioKind::Ogg, static_cast<uint32_t>(size)};
    if (manifest_) manifest_->sounds.push_back({handle, name, format, conformed.Frames(), size});
  }

  Writer::SoundFile File(const std::string& name, const Line* subtitles = nullptr) const {
    Writer::SoundFile f;
    f.name = name;
    f.subtitles = Subtitles(subtitles);
    auto it = stored_.find(name);
    if (it == stored_.end()) return f;  // a file the set lacks: no data, no size
    f.data = Writer::Address::Item(it->second.handle);
    (it->second.ogg ? f.oggSize : f.wavSize) = it->second.size;
    return f;
  }
  // A file entry under another name that shares stored data.
  Writer::SoundFile Alias(const std::string& name, const std::string& storedAs) const {
    Writer::SoundFile f = File(storedAs);
    f.name = name;
    return f;
  }
  static Writer::SoundFile None() {
    Writer::SoundFile f;
    f.name = "none";
    return f;
  }

  int Record(std::vector<Writer::SoundFile> files) {
    Writer::SoundInfo info;
    FillUnknown(info, records_);
    info.files = std::move(files);
    // Mostly in the hard-drive file; every seventh record in another medium.
    int file = records_ % 7 == 3 ? 1 + (records_ / 7) % 5 : 2;
    ++records_;
    return w_.AddRecord(file, std::move(info));
  }

 private:
  struct Entry {
    int handle;
    bool ogg;
    uint32_t size;
  };
  Writer& w_;
  AudioSetManifest* manifest_;
  std::map<std::string, Entry> stored_;
  int records_ = 0;
};

}  // namespace

void MakeDemoSet(Writer& w, AudioSetManifest* manifest) {
  DemoBuilder b(w, manifest);

  enum { AMBIENT, WEAPONS, DOORS, FOOTSTEPS, MUSIC, BELLS, CREATURES, MAGIC, WEATHER, INTERFACE, VOICES, FORGE, CROWD };
  w.tags = {{"+Ambient", 5, {"Forest", "Storm", "Town", "River"}},
            {"+Weapons", 2, {"Sword", "Bow", "Shield"}},
            {"+Doors", 1, {"Wood", "Iron", "Gate"}},
            {"_Footsteps", 0, {}},
            {"+Music", 3, {"Fanfare", "Theme", "Lament"}},
            {"_Bells", 0, {}},
            {"+Creatures", 1, {"Horse", "Wolf"}},
            {"_Magic", 0, {}},
            {"+Weather", 4, {"Rain", "Thunder", "Wind"}},
            {"_Interface", 0, {}},
            {"+Voices", 6, {"Guard", "Merchant", "Captain", "Priestess", "Narrator"}},
            {"_Forge", 0, {}},
            {"+Crowd", 2, {"Market", "Tavern", Utf8ToWindows1252("Caf\u00e9")}}};
  const uint32_t ANY = Writer::kInvalid;

  for (const Effect& e : Effects()) b.Store(e.name, e.make(e.format.rate), e.format);
  for (const Spoken& s : kSpoken) b.Store(s.name, synth::Speech(kLines[s.line][0], kVoices[s.speaker], s.format.rate), s.format);

  // Effect records and the tagged sounds that use them.
  auto tagged = [&](int record, std::vector<Writer::TagRef> refs) {
    w.taggedSounds.push_back({std::move(refs), Writer::Address::Item(record)});
  };
  int wind = b.Record({b.File("wind_forest"), b.File("wind_storm")});
  tagged(wind, {{AMBIENT, 0}});
  tagged(wind, {{WEATHER, 2}});
  tagged(wind, {{AMBIENT, 1}, {WEATHER, 2}});
  int town = b.Record({b.File("town_bells", &kBellCaption)});
  tagged(town, {{AMBIENT, 2}});
  tagged(town, {{BELLS, ANY}});
  int river = b.Record({b.File("river_stream")});
  tagged(river, {{AMBIENT, 3}});
  int rain = b.Record({b.File("rain_light"), b.File("thunder_far", &kThunderCaption)});
  tagged(rain, {{WEATHER, 0}});
  tagged(rain, {{WEATHER, 1}});
  tagged(rain, {{AMBIENT, 1}});
  int thunder = b.Record({b.File("thunder_near", &kThunderCaption), b.None()});
  tagged(thunder, {{WEATHER, 1}});
  int sword = b.Record({b.File("sword_clash_01"), b.File("sword_clash_02"), b.File("sword_draw")});
  tagged(sword, {{WEAPONS, 0}});
  tagged(sword, {{WEAPONS, ANY}});
  int bow = b.Record({b.File("bow_shot"), b.File("bow_reload")});  // bow_reload is missing
  tagged(bow, {{WEAPONS, 1}});
  int shield = b.Record({b.File("shield_block")});
  tagged(shield, {{WEAPONS, 2}});
  tagged(shield, {{WEAPONS, ANY}, {FORGE, ANY}});
  int woodDoor = b.Record({b.File("door_wood_open"), b.File("door_wood_close")});
  tagged(woodDoor, {{DOORS, 0}});
  tagged(woodDoor, {{DOORS, ANY}});
  int ironDoor = b.Record({b.File("door_iron_open"), b.Alias("door_iron_close", "door_wood_close")});
  tagged(ironDoor, {{DOORS, 1}});
  int gate = b.Record({b.File("gate_portcullis"), b.None()});
  tagged(gate, {{DOORS, 2}});
  tagged(gate, {{AMBIENT, 2}, {DOORS, 2}});
  int steps = b.Record({b.File("steps_stone"), b.File("steps_grass"), b.File("steps_wood")});  // steps_wood is missing
  tagged(steps, {{FOOTSTEPS, ANY}});
  tagged(steps, {{FOOTSTEPS, ANY}, {AMBIENT, 0}});
  int bell = b.Record({b.File("bell_chapel", &kBellCaption), b.File("chime_small")});
  tagged(bell, {{BELLS, ANY}});
  tagged(bell, {{AMBIENT, 2}, {BELLS, ANY}});
  tagged(bell, {{MUSIC, ANY}, {BELLS, ANY}});
  int fanfare = b.Record({b.File("music_fanfare")});
  tagged(fanfare, {{MUSIC, 0}});
  tagged(fanfare, {{INTERFACE, ANY}});
  int theme = b.Record({b.File("music_theme")});
  tagged(theme, {{MUSIC, 1}});
  int lament = b.Record({b.File("music_lament"), b.File("music_lament_choir")});  // the choir is missing
  tagged(lament, {{MUSIC, 2}});
  int ui = b.Record({b.File("ui_click"), b.File("ui_confirm"), b.File("ui_error")});
  tagged(ui, {{INTERFACE, ANY}});
  tagged(ui, {{INTERFACE, ANY}, {MAGIC, ANY}});
  tagged(ui, {{INTERFACE, ANY}});
  int horse = b.Record({b.File("horse_gallop")});
  tagged(horse, {{CREATURES, 0}});
  tagged(horse, {{FOOTSTEPS, ANY}, {CREATURES, 0}});
  int wolf = b.Record({b.File("wolf_howl")});
  tagged(wolf, {{CREATURES, 1}});
  tagged(wolf, {{AMBIENT, 0}, {CREATURES, 1}});
  int magic = b.Record({b.File("magic_spark"), b.File("magic_heal")});
  tagged(magic, {{MAGIC, ANY}});
  tagged(magic, {{MAGIC, ANY}, {MUSIC, ANY}});
  int forge = b.Record({b.File("forge_anvil"), b.File("fire_crackle")});
  tagged(forge, {{FORGE, ANY}});
  tagged(forge, {{AMBIENT, 2}, {FORGE, ANY}});
  int hearth = b.Record({b.Alias("hearth_fire", "fire_crackle")});
  tagged(hearth, {{FORGE, ANY}});
  tagged(hearth, {{CROWD, 1}});
  int crowd = b.Record({b.File("crowd_market"), b.File("crowd_tavern")});
  tagged(crowd, {{CROWD, 0}});
  tagged(crowd, {{CROWD, 1}});
  tagged(crowd, {{CROWD, 2}, {AMBIENT, 2}});
  int silent = b.Record({b.None()});
  tagged(silent, {{INTERFACE, ANY}});

  // Spoken records: one per line and speaker, some with a second take that the set lacks.
  std::map<std::string, int> spokenRecord;
  for (const Spoken& s : kSpoken) {
    std::vector<Writer::SoundFile> files = {b.File(s.name, &kLines[s.line])};
    if (s.line % 6 == 1) files.push_back(b.File(std::string(s.name) + "_take2", &kLines[s.line]));
    if (s.speaker == NARRATOR) files.push_back(b.None());
    spokenRecord[s.name] = b.Record(std::move(files));
    w.missionSounds.push_back({s.name, Writer::Address::Item(spokenRecord[s.name])});
  }
  // Mission sounds sharing records: repeated lines, ambiences and effects.
  const std::pair<const char*, int> shared[] = {
      {"m04_guard_halt_male", spokenRecord["m01_guard_halt_male"]},
      {"m03_ride_dawn", spokenRecord["m03_ride_dawn_male"]},
      {"tut_intro", spokenRecord["m01_intro"]},
      {"m06_thanks_female", spokenRecord["m02_thanks_female"]},
      {"amb_town_crowd", crowd},
      {"amb_forest_wind", wind},
      {"tut_click", ui},
      {"m05_wolf_howl", wolf},
      {"m02_market_bells", town},
      {"m06_fanfare", fanfare},
      {"m01_door_open", woodDoor},
      {"m04_forge_anvil", forge},
  };
  for (const auto& [name, record] : shared) w.missionSounds.push_back({name, Writer::Address::Item(record)});

  // Voices tagged by speaker.
  const std::pair<const char*, uint32_t> voiced[] = {
      {"m01_guard_halt_male", 0},       {"m01_guard_halt_female", 0},  {"m01_gate_closed_male", 0},
      {"m02_merchant_welcome_female", 1}, {"m02_merchant_welcome_male", 1}, {"m02_market_noon_female", 1},
      {"m07_captain_male", 2},          {"m06_victory_male", 2},       {"m05_shields_male", 2},
      {"m04_bells_listen_female", 3},   {"m07_goodnight_female", 3},   {"m01_intro", 4},
      {"m03_storm_north_female", ANY},  {"m06_follow_me_female", ANY},
  };
  for (const auto& [name, sub] : voiced) tagged(spokenRecord[name], {{VOICES, sub}});
}
