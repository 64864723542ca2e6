// Prints the volume serial number and file index of a file, as the record store names a record
// file in its journal, for the Windows check. Usage: file_id FILE
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  BY_HANDLE_FILE_INFORMATION info;
  if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &info)) return 1;
  const unsigned long long index =
      (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  std::printf("%lu %llu\n", info.dwVolumeSerialNumber, index);
  CloseHandle(file);
  return 0;
}
