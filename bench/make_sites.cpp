// Writes the coordinator's data set into a folder: north/, south/ and east/datas.dat, their
// modification time set to the end of the campaign, and planted.csv, the findings that
// survey-export --check should give (file,line,column,rule).
#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "site_maker.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: survey_make_sites FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const survey::SiteData data = survey::makeSites();
  std::tm changed{};
  changed.tm_year = data.filesChanged.yearsSince1900;
  changed.tm_mon = data.filesChanged.month;
  changed.tm_mday = data.filesChanged.dayOfMonth;
  changed.tm_hour = data.filesChanged.hour;
  changed.tm_min = data.filesChanged.minute;
  changed.tm_isdst = -1;
  const utimbuf times{std::mktime(&changed), std::mktime(&changed)};
  mkdir(folder.c_str(), 0777);
  for (const survey::SiteFile& file : data.files) {
    const std::string path = folder + "/" + file.name;
    mkdir(path.substr(0, path.rfind('/')).c_str(), 0777);
    if (!writeFile(path, file.text()) || utime(path.c_str(), &times) != 0) {
      std::perror(path.c_str());
      return 1;
    }
  }
  std::string planted = "file,line,column,rule\n";
  for (const survey::PlantedFinding& finding : data.planted) {
    planted += finding.file + "," + std::to_string(finding.line) + "," + finding.column + "," +
               finding.rule + "\n";
  }
  if (!writeFile(folder + "/planted.csv", planted)) {
    std::perror("planted.csv");
    return 1;
  }
  return 0;
}
