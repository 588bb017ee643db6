#pragma once
// Every fixed text of the menus and information screens, as GBK bytes. A box
// line is 34 columns wide (a Chinese character takes two bytes and two
// columns) and is held without its line feed.

#include <string>
#include <vector>

namespace frontend::texts {

using BoxLines = std::vector<std::string>;

const BoxLines& menu_zh();
const BoxLines& menu_en();
const BoxLines& intro_zh();
const BoxLines& intro_en();
const BoxLines& farewell_zh();
const BoxLines& farewell_en();
const BoxLines& language_zh();
const BoxLines& language_en();

// Window titles.
const std::string& title_zh();
const std::string& title_en();
const std::string& title_dev();

}  // namespace frontend::texts
