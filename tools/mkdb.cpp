// Build-time tool: writes the delivered empty database from schema.sql.
#include "core/store/Schema.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kbxt-mkdb OUT.db\n");
        return 2;
    }
    if (!CreateTimetableFile(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "kbxt-mkdb: cannot create %s\n", argv[1]);
        return 1;
    }
    return 0;
}
