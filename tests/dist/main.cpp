// The install tests bring their own main: run with --mime-type-of FILE the binary is the small
// probe that asks Qt's MIME database what a file is, in a process whose environment shows it
// only the installed data.

#include <QMimeDatabase>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--mime-type-of") == 0) {
        const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromLocal8Bit(argv[2]));
        std::printf("%s\n", type.name().toUtf8().constData());
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
