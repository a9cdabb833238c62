// zor_skin_gen OUTDIR: renders every picture of the product and writes one .rc script per module.

#include <cstdio>
#include <fstream>
#include <string>

#include "skins/generator/skins.h"

int main(int argc, char** argv) {
  using namespace zor::skins;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  const std::string out = argv[1];
  const ResourceLibrary libraries[] = {
      BuildMessageLibrary(),
      BuildProgramResources(),
      BuildCompanionResources(),
      BuildMainLibrary("ENG", Script::Latin),
      BuildMainLibrary("SC", Script::SimplifiedChinese),
      BuildMainLibrary("TC", Script::TraditionalChinese),
      BuildAdvancedLibrary("AdvEng", Script::Latin),
      BuildAdvancedLibrary("AdvSC", Script::SimplifiedChinese),
      BuildAdvancedLibrary("AdvTC", Script::TraditionalChinese),
  };
  for (const ResourceLibrary& lib : libraries) {
    if (!lib.Write(out)) {
      std::fprintf(stderr, "zor_skin_gen: cannot write %s under %s\n", lib.Name().c_str(),
                   out.c_str());
      return 1;
    }
  }
  std::ofstream(out + "/stamp") << "done\n";
  return 0;
}
