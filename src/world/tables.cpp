#include "world/tables.h"

#include "base/text_encoding.h"

std::map<ll, ll> gailv;

void fill_gailv() { gailv = {{983, kEmptyCell}, {988, kTreasureCell}, {989, kInertCell}, {999, kMonsterCell}}; }

const std::string wtype = "  B?@?MMOOB-@+@-M-N+N-";

const std::array<std::string, kTreasureKinds> bs = {GBK("攻击"), GBK("血量"), GBK("防御")};
const std::array<std::string, kTreasureKinds> bs_en = {"Attack", "HP", "Defence"};
