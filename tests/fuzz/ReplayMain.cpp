// Runs a fuzz target once over every file of its seed corpus, named on the command line, so that the corpus and every finding stay regression tests.
#include <QDirIterator>
#include <QFile>

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    int files = 0;
    for (QDirIterator it(QString::fromLocal8Bit(argv[argc - 1]), QDir::Files); it.hasNext(); ++files) {
        QFile file(it.next());
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("replayed %d inputs\n", files);
    return files > 0 ? 0 : 1;
}
