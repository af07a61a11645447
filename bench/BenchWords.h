#pragma once

// The words the benchmarks' generated collections are made of, so that every list benchmark
// sorts and filters the same kind of texts.
namespace bench {

inline constexpr const char* kWords[] = {"Final",   "Fantasy", "Secret",  "Mana",  "Chrono",
                                         "Trigger", "Super",   "Metroid", "Zelda", "Link",
                                         "Past",    "Mario",   "World",   "Kirby", "Dream",
                                         "Earth",   "Bound",   "Star",    "Ocean", "Tactics"};
inline constexpr const char* kAuthors[] = {
    "Aeon Genesis", "DeJap",     "RPGe", "Dynamic Designs", "J2e",
    "Gideon",       "Sky Yoshi", "Tom",  "mziab",           "Neill Corlett"};

}  // namespace bench
