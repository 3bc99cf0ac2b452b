/* The least work any program doing tavrel's job must do: step up to the
 * parent and list it, counting its directories. Entries of unknown type
 * are looked at, as any such program must. */
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

int main(void) {
  if (chdir("..") != 0) {
    return 1;
  }
  DIR *folder = opendir(".");
  if (folder == NULL) {
    return 1;
  }
  long directories = 0;
  const struct dirent *entry;
  while ((entry = readdir(folder)) != NULL) {
    int is_directory = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat status;
      is_directory = fstatat(dirfd(folder), entry->d_name, &status, 0) == 0 &&
                     S_ISDIR(status.st_mode);
    }
    directories += is_directory;
  }
  closedir(folder);
  return directories > 0 ? 0 : 1;
}
