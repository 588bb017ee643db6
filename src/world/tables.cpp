#include "world/tables.h"

#include "base/text_encoding.h"

std::map<ll, ll> gailv;

void fill_gailv() { gailv = {{983, 0}, {988, 1}, {989, 2}, {999, 3}}; }

const std::string wtype = "  B?@?MMOOB-@+@-M-N+N-";

const std::array<std::string, 3> bs = {GBK("攻击"), GBK("血量"), GBK("防御")};
const std::array<std::string, 3> bs_en = {"Attack", "HP", "Defence"};
