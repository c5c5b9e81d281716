// swfgen --example DIR: writes the example presentation's movies, intro.swf and main.swf.
#include <cstdio>
#include <fstream>
#include <string>

#include "example_movies.h"

namespace {

bool WriteFile(const std::string& path, const zp::swfgen::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "swfgen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::string(argv[1]) != "--example") {
    std::fprintf(stderr, "usage: swfgen --example DIR\n");
    return 2;
  }
  const std::string dir = argv[2];
  if (!WriteFile(dir + "/intro.swf", zp::swfgen::MakeIntroMovie())) return 1;
  if (!WriteFile(dir + "/main.swf", zp::swfgen::MakeMainMovie())) return 1;
  return 0;
}
