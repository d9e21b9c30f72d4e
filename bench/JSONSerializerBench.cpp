// Reading documents of 1 MiB and 16 MiB (UTF-16) of four shapes into a Tree, against
// RapidJSON's DOM parse of the same text where the build found it: time, the heap floor (the
// allocations the tree's public types need, timed alone), and the peak private bytes of reading
// the 16 MiB documents, each reader measured in a child run of this program so that peaks do not
// mix. Then the tree operations readers and writers lean on, per node, at 100,000 and 1,000,000
// nodes, and writing a document of many small members. Run by hand:
// build/mingw-x64/bin/JSONSerializerBench.exe [reading|tree|writing] under Wine; each part runs in a
// child run of its own.
#include <JSONSerializer.h>

#ifdef KELVO_BENCH_RAPIDJSON
#include <rapidjson/document.h>
#endif

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace Kelvo::Utilities;

namespace {

const std::size_t MiB = 1024 * 1024;

std::wstring Name(wchar_t prefix, std::size_t i)
{
    wchar_t name[16];
    std::swprintf(name, 16, L"%lc%07zu", prefix, i);
    return name;
}

// Writes members until the text holds bytes bytes of UTF-16, then closes it; member(writer, i)
// writes the i-th member, close(writer) anything that must come last.
std::wstring Document(std::size_t bytes, const std::function<void(JSONSerializer&, std::size_t)>& member,
                      const std::function<void(JSONSerializer&)>& close = nullptr)
{
    std::wstringstream stream;
    JSONSerializer writer;
    writer.SetStream(&stream, Serialize);
    writer.BeginData(L"");
    for (std::size_t i = 0; static_cast<std::size_t>(stream.tellp()) * sizeof(wchar_t) < bytes - 64; ++i)
    {
        member(writer, i);
    }
    if (close)
    {
        close(writer);
    }
    writer.EndData(L"");
    return stream.str();
}

void Scalar(JSONSerializer& writer, std::size_t i)
{
    if (i % 2 == 0)
    {
        unsigned int number = static_cast<unsigned int>(i * 7919);
        writer.WriteData(Name(L'm', i), number);
    }
    else
    {
        std::wstring text = L"value " + std::to_wstring(i);
        writer.WriteData(Name(L's', i), text);
    }
}

void List(JSONSerializer& writer, std::size_t i)
{
    if (i % 2 == 0)
    {
        std::vector<unsigned int> numbers(16, static_cast<unsigned int>(i));
        writer.WriteList(Name(L'l', i), numbers);
    }
    else
    {
        std::vector<std::wstring> texts(8, L"item");
        writer.WriteList(Name(L't', i), texts);
    }
}

void Nested(JSONSerializer& writer, std::size_t i)
{
    writer.BeginData(Name(L'o', i));
    for (int level = 0; level < 8; ++level)
    {
        unsigned int number = static_cast<unsigned int>(level);
        std::wstring text = L"level text";
        writer.WriteData(L"a", number);
        writer.WriteData(L"b", text);
        writer.BeginData(L"c");
    }
    for (int level = 0; level <= 8; ++level)
    {
        writer.EndData(L"");
    }
}

// Best of three, in milliseconds; the result of each run is released outside the timing.
template <typename Run>
double Milliseconds(Run run)
{
    double best = 1e300;
    for (int i = 0; i < 3; ++i)
    {
        std::shared_ptr<void> result;
        const auto start = std::chrono::steady_clock::now();
        result = run();
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        best = elapsed.count() < best ? elapsed.count() : best;
    }
    return best;
}

double Ours(const std::wstring& text)
{
    return Milliseconds([&text] {
        auto tree = std::make_shared<Tree>();
        if (!JSONSerializer().DeserializeToTree(text, *tree) || !tree->CurrentNodeHasSubNodes())
        {
            std::printf("reading failed\n");
        }
        return std::static_pointer_cast<void>(tree);
    });
}

double RapidJson(const std::wstring& text)
{
#ifdef KELVO_BENCH_RAPIDJSON
    return Milliseconds([&text] {
        auto document = std::make_shared<rapidjson::GenericDocument<rapidjson::UTF16<>>>();
        document->Parse(text.c_str());
        if (document->HasParseError())
        {
            std::printf("RapidJSON could not parse the document\n");
        }
        return std::static_pointer_cast<void>(document);
    });
#else
    (void)text;
    return 0;
#endif
}

double MBs(std::size_t characters, double milliseconds)
{
    return static_cast<double>(characters * sizeof(wchar_t)) / 1e6 / (milliseconds / 1000.0);
}

// The heap blocks that a tree of this content needs whatever allocates its nodes: one map entry
// per node, the key twice (map and node) and each value when longer than a string holds
// inline, and each values vector. Timing just these allocations gives the floor under any
// reader that builds the public types.
void HeapBlocks(Tree& tree, std::vector<std::size_t>& sizes)
{
    using Entry = std::_Rb_tree_node<Tree::TreeNode::Children::value_type>;
    const std::size_t inlined = std::wstring().capacity();
    const auto text = [&](const std::wstring& value) {
        if (value.size() > inlined)
        {
            sizes.push_back((value.size() + 1) * sizeof(wchar_t));
        }
    };
    tree.GotoRootNode();
    for (std::size_t depth = tree.Down() ? 1 : 0; depth > 0;)
    {
        const std::wstring key = tree.GetKey();
        std::vector<std::wstring> values;
        tree.GetValues(values);
        sizes.push_back(sizeof(Entry));
        text(key);
        text(key);
        if (!values.empty())
        {
            sizes.push_back(values.size() * sizeof(std::wstring));
        }
        for (const std::wstring& value : values)
        {
            text(value);
        }
        if (tree.Down())
        {
            ++depth;
            continue;
        }
        while (depth > 0 && !tree.NextSibling())
        {
            tree.Up();
            --depth;
        }
    }
}

// The heap blocks of the tree that text reads as.
std::vector<std::size_t> HeapBlocks(const std::wstring& text)
{
    Tree tree;
    JSONSerializer().DeserializeToTree(text, tree);
    std::vector<std::size_t> sizes;
    HeapBlocks(tree, sizes);
    return sizes;
}

double HeapFloor(const std::vector<std::size_t>& sizes)
{
    std::vector<void*> blocks(sizes.size());
    return Milliseconds([&] {
        for (std::size_t i = 0; i < sizes.size(); ++i)
        {
            blocks[i] = ::operator new(sizes[i]);
        }
        return std::shared_ptr<void>(nullptr, [&blocks](void*) {
            for (void* block : blocks)
            {
                ::operator delete(block);
            }
        });
    });
}

// Private bytes the process has committed now and at its peak. Wine reports no PrivateUsage (the
// page-file figures count the same committed private pages), and its peak is only the current
// figure, so a watcher thread samples the figure while a reader runs.
std::pair<std::size_t, std::size_t> PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return { counters.PagefileUsage, counters.PeakPagefileUsage };
}

class PeakWatcher
{
public:
    PeakWatcher() : m_peak(PrivateBytes().second), m_stop(false), m_thread([this] { Watch(); })
    {
    }

    // The highest figure seen or reported up to now; the watcher stops.
    std::size_t Stop()
    {
        m_stop = true;
        m_thread.join();
        const auto now = PrivateBytes();
        return std::max({ m_peak.load(), now.first, now.second });
    }

private:
    void Watch()
    {
        while (!m_stop)
        {
            const auto now = PrivateBytes();
            m_peak = std::max({ m_peak.load(), now.first, now.second });
            std::this_thread::yield();
        }
    }

    std::atomic<std::size_t> m_peak;
    std::atomic<bool> m_stop;
    std::thread m_thread;
};

// The file's content as elements of T, taking no more memory than the content itself.
template <typename T>
std::basic_string<T> Load(const char* path)
{
    std::basic_string<T> content;
    if (FILE* file = std::fopen(path, "rb"))
    {
        std::fseek(file, 0, SEEK_END);
        content.resize(static_cast<std::size_t>(std::ftell(file)) / sizeof(T));
        std::fseek(file, 0, SEEK_SET);
        content.resize(std::fread(&content[0], sizeof(T), content.size(), file));
        std::fclose(file);
    }
    return content;
}

template <typename T>
void Save(const char* path, const T* data, std::size_t count)
{
    if (FILE* file = std::fopen(path, "wb"))
    {
        std::fwrite(data, sizeof(T), count, file);
        std::fclose(file);
    }
}

// The child run: loads its input, reads the document with one reader (or, for "floor", makes
// the heap blocks listed in the input), and writes the private bytes committed before that and
// the process peak.
int PeakChild(const char* reader, const char* inputPath, const char* resultPath)
{
    const bool floor = std::strcmp(reader, "floor") == 0;
    const std::wstring text = floor ? std::wstring() : Load<wchar_t>(inputPath);
    const std::basic_string<std::size_t> sizes =
        floor ? Load<std::size_t>(inputPath) : std::basic_string<std::size_t>();
    std::vector<void*> blocks(sizes.size());
    const auto before = PrivateBytes();
    PeakWatcher watcher;
    std::shared_ptr<void> result;
    if (floor)
    {
        for (std::size_t i = 0; i < sizes.size(); ++i)
        {
            blocks[i] = ::operator new(sizes[i]);
        }
    }
    else if (std::strcmp(reader, "ours") == 0)
    {
        auto tree = std::make_shared<Tree>();
        JSONSerializer().DeserializeToTree(text, *tree);
        result = tree;
    }
#ifdef KELVO_BENCH_RAPIDJSON
    else
    {
        auto document = std::make_shared<rapidjson::GenericDocument<rapidjson::UTF16<>>>();
        document->Parse(text.c_str());
        result = document;
    }
#endif
    const std::size_t peak = watcher.Stop();
    FILE* out = std::fopen(resultPath, "w");
    if (out == nullptr)
    {
        return 1;
    }
    std::fprintf(out, "%zu %zu\n", before.first, peak);
    std::fclose(out);
    return 0;
}

struct Peak
{
    double aboveDocumentMB; // the peak less what was committed with the document loaded
    double processMB;       // the whole process's peak
};

// Runs this program with arguments as a child, which writes to this program's output, and waits
// for it.
bool RunChild(const std::string& arguments)
{
    char program[MAX_PATH];
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program + "\" " + arguments;
    std::fflush(stdout);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    {
        return false;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

// Runs this program as a child that reads the count elements at data with one reader.
template <typename T>
Peak MeasurePeak(const char* reader, const T* data, std::size_t count)
{
    char directory[MAX_PATH];
    char documentPath[MAX_PATH];
    char resultPath[MAX_PATH];
    ::GetTempPathA(MAX_PATH, directory);
    ::GetTempFileNameA(directory, "kjd", 0, documentPath);
    ::GetTempFileNameA(directory, "kjr", 0, resultPath);
    Save(documentPath, data, count);

    Peak peak{ 0, 0 };
    if (RunChild(std::string("--peak ") + reader + " \"" + documentPath + "\" \"" + resultPath + "\""))
    {
        std::size_t before = 0;
        std::size_t top = 0;
        if (FILE* result = std::fopen(resultPath, "r"))
        {
            if (std::fscanf(result, "%zu %zu", &before, &top) == 2)
            {
                peak = Peak{ static_cast<double>(top - before) / 1e6, static_cast<double>(top) / 1e6 };
            }
            std::fclose(result);
        }
    }
    ::DeleteFileA(documentPath);
    ::DeleteFileA(resultPath);
    return peak;
}

// Best of three, in milliseconds, of timed, each run after an untimed prepare.
double Timed(const std::function<void()>& prepare, const std::function<void()>& timed)
{
    double best = 1e300;
    for (int i = 0; i < 3; ++i)
    {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        timed();
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        best = elapsed.count() < best ? elapsed.count() : best;
    }
    return best;
}

// Nanoseconds per node of the tree operations readers and writers lean on, on two shapes: wide
// (the root, groups of 1,000 nodes below it, one value on each node of a group) and deep (a
// chain, one node per level).
void TreeOperations()
{
    std::printf("\nTree operations, ns per node, best of 3\n");
    std::printf("%-44s %12s %12s %22s\n", "operation", "100,000", "1,000,000", "1,000,000 / 100,000");
    struct Line
    {
        const char* name;
        double perNode[2];
    };
    std::vector<Line> lines{ { "wide: AppendChild(key)", {} },
                             { "wide: Down(key), Up()", {} },
                             { "wide: Down(key), AddValue, Up()", {} },
                             { "wide: copy, Tree(Tree&)", {} },
                             { "wide: compare, CompareTrees", {} },
                             { "wide: destroy, ~Tree", {} },
                             { "deep: AppendChild(key), Down(key)", {} },
                             { "deep: Up()", {} },
                             { "deep: Down()", {} },
                             { "deep: copy, Tree(Tree&)", {} },
                             { "deep: compare, CompareTrees", {} },
                             { "deep: destroy, ~Tree", {} } };
    const std::size_t group = 1000;
    for (std::size_t column = 0; column < 2; ++column)
    {
        const std::size_t nodes = column == 0 ? 100000 : 1000000;
        const auto perNode = [nodes](double milliseconds) { return milliseconds * 1e6 / static_cast<double>(nodes); };
        std::vector<std::wstring> groups;
        std::vector<std::wstring> keys;
        for (std::size_t g = 0; g < nodes / group; ++g)
        {
            groups.push_back(Name(L'g', g));
        }
        for (std::size_t i = 0; i < group; ++i)
        {
            keys.push_back(Name(L'c', i));
        }
        const std::wstring value = L"a value";
        auto tree = std::make_shared<Tree>();
        // Visits every node of every group once, the cursor on its group.
        const auto pass = [&](Tree& target, const std::function<void(Tree&, const std::wstring&)>& visit) {
            for (const std::wstring& name : groups)
            {
                target.Down(name);
                for (const std::wstring& key : keys)
                {
                    visit(target, key);
                }
                target.Up();
            }
        };
        const auto fresh = [&tree] {
            tree.reset();
            tree = std::make_shared<Tree>();
        };
        lines[0].perNode[column] = perNode(Timed(fresh, [&] {
            for (const std::wstring& name : groups)
            {
                tree->AppendChild(name);
            }
            pass(*tree, [](Tree& target, const std::wstring& key) { target.AppendChild(key); });
        }));
        lines[1].perNode[column] = perNode(Timed([] {}, [&] {
            pass(*tree, [](Tree& target, const std::wstring& key) { target.Down(key), target.Up(); });
        }));
        // The values go to a fresh copy each round, so that every node ends with one value.
        Tree bare(*tree);
        lines[2].perNode[column] = perNode(Timed([&] { tree = std::make_shared<Tree>(bare); }, [&] {
            pass(*tree, [&value](Tree& t, const std::wstring& key) { t.Down(key), t.AddValue(value), t.Up(); });
        }));

        auto chain = std::make_shared<Tree>();
        const auto freshChain = [&chain] {
            chain.reset();
            chain = std::make_shared<Tree>();
        };
        lines[6].perNode[column] = perNode(Timed(freshChain, [&] {
            for (std::size_t level = 0; level < nodes; ++level)
            {
                chain->AppendChild(keys[level % group]);
                chain->Down(keys[level % group]);
            }
        }));
        const auto toBottom = [&chain] {
            chain->GotoRootNode();
            while (chain->Down())
            {
            }
        };
        lines[7].perNode[column] = perNode(Timed(toBottom, [&chain] {
            while (chain->Up())
            {
            }
        }));
        lines[8].perNode[column] = perNode(Timed([&chain] { chain->GotoRootNode(); }, [&chain] {
            while (chain->Down())
            {
            }
        }));

        for (std::size_t shape = 0; shape < 2; ++shape)
        {
            Tree& original = shape == 0 ? *tree : *chain;
            std::shared_ptr<Tree> copy;
            const auto noCopy = [&copy] { copy.reset(); };
            lines[shape * 6 + 3].perNode[column] =
                perNode(Timed(noCopy, [&] { copy = std::make_shared<Tree>(original); }));
            lines[shape * 6 + 4].perNode[column] = perNode(Timed([] {}, [&] {
                if (!original.CompareTrees(*copy))
                {
                    std::printf("the copy differs\n");
                }
            }));
            lines[shape * 6 + 5].perNode[column] = perNode(
                Timed([&] { copy = std::make_shared<Tree>(original); }, [&copy] { copy.reset(); }));
        }
    }
    for (const Line& line : lines)
    {
        std::printf("%-44s %12.1f %12.1f %22.2f\n", line.name, line.perNode[0], line.perNode[1],
                    line.perNode[1] / line.perNode[0]);
    }
}

// Reading, against RapidJSON, in time and in memory.
void Reading()
{
    struct Shape
    {
        const char* name;
        std::function<std::wstring(std::size_t)> make;
    };
    const std::vector<Shape> shapes{
        { "flat scalars", [](std::size_t bytes) { return Document(bytes, Scalar); } },
        { "flat lists", [](std::size_t bytes) { return Document(bytes, List); } },
        { "8-level nesting", [](std::size_t bytes) { return Document(bytes, Nested); } },
        { "scalars, then one object",
          [](std::size_t bytes) {
              return Document(bytes, Scalar, [](JSONSerializer& writer) {
                  unsigned int one = 1;
                  writer.BeginData(L"zz");
                  writer.WriteData(L"x", one);
                  writer.EndData(L"zz");
              });
          } },
    };

    std::printf("Reading (DeserializeToTree; RapidJSON: GenericDocument<UTF16<>>::Parse), best of 3\n");
    std::printf("%-26s %6s %10s %9s %12s %10s %16s %14s\n", "shape", "size", "ours ms", "MB/s", "RapidJSON ms",
                "ours/Rapid", "16 MiB / 1 MiB", "heap floor ms");
    struct Peaks
    {
        Peak ours;
        Peak rapid;
        Peak floor;
    };
    std::vector<Peaks> peaks;
    for (const Shape& shape : shapes)
    {
        double small = 0;
        for (std::size_t mebibytes : { std::size_t(1), std::size_t(16) })
        {
            const std::wstring text = shape.make(mebibytes * MiB);
            const std::vector<std::size_t> blocks = HeapBlocks(text);
            const double ours = Ours(text);
            const double rapid = RapidJson(text);
            small = mebibytes == 1 ? ours : small;
            char scale[32] = "";
            if (mebibytes == 16)
            {
                std::snprintf(scale, sizeof(scale), "%.1f", ours / small);
            }
            std::printf("%-26s %3zu MiB %10.1f %9.1f %12.1f %10.1f %16s %14.1f\n", shape.name, mebibytes, ours,
                        MBs(text.size(), ours), rapid, rapid > 0 ? ours / rapid : 0.0, scale, HeapFloor(blocks));
            if (mebibytes == 16)
            {
                peaks.push_back(Peaks{ MeasurePeak("ours", text.data(), text.size()),
                                       MeasurePeak("rapidjson", text.data(), text.size()),
                                       MeasurePeak("floor", blocks.data(), blocks.size()) });
            }
        }
    }

    std::printf("\nPeak private bytes of reading the 16 MiB documents, MB above what the process held with the\n"
                "document loaded (PagefileUsage sampled through the read, in a child run per reader); heap floor:\n"
                "the tree's heap blocks alone\n");
    std::printf("%-26s %10s %12s %10s %12s %14s %18s\n", "shape", "ours", "RapidJSON", "ours/Rapid", "heap floor",
                "ours process", "RapidJSON process");
    for (std::size_t i = 0; i < shapes.size(); ++i)
    {
        const Peaks& p = peaks[i];
        const double ratio = p.rapid.aboveDocumentMB > 0 ? p.ours.aboveDocumentMB / p.rapid.aboveDocumentMB : 0.0;
        std::printf("%-26s %10.1f %12.1f %10.1f %12.1f %14.1f %18.1f\n", shapes[i].name, p.ours.aboveDocumentMB,
                    p.rapid.aboveDocumentMB, ratio, p.floor.aboveDocumentMB, p.ours.processMB, p.rapid.processMB);
    }
}

void Writing()
{
    // Writing: the members are made beforehand, so that only the serializer is timed.
    std::printf("\nWriting about 16 MiB of small members into a std::wstringstream, best of 3\n");
    const std::size_t members = 16 * MiB / 60;
    std::vector<std::wstring> names;
    std::vector<std::wstring> texts;
    for (std::size_t i = 0; i < members; ++i)
    {
        names.push_back(Name(L's', i));
        texts.push_back(L"value " + std::to_wstring(i));
    }
    for (int kind = 0; kind < 2; ++kind)
    {
        std::size_t characters = 0;
        const double ms = Milliseconds([&] {
            auto stream = std::make_shared<std::wstringstream>();
            JSONSerializer writer;
            writer.SetStream(stream.get(), Serialize);
            writer.BeginData(L"");
            for (std::size_t i = 0; i < members; ++i)
            {
                unsigned int number = static_cast<unsigned int>(i);
                kind == 0 ? writer.WriteData(names[i], texts[i]) : writer.WriteData(names[i], number);
            }
            writer.EndData(L"");
            characters = static_cast<std::size_t>(stream->tellp());
            return std::static_pointer_cast<void>(stream);
        });
        std::printf("%-26s %10.1f ms %9.1f MB/s\n", kind == 0 ? "string members" : "number members", ms,
                    MBs(characters, ms));
    }
}

} // namespace

// With an argument (reading, tree or writing) only that part runs; without one, each part runs
// in a child run of its own, so that no part finds the heap as the one before left it.
int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--peak") == 0)
    {
        return PeakChild(argv[2], argv[3], argv[4]);
    }
    const std::string part = argc > 1 ? argv[1] : "";
    if (part.empty())
    {
        return RunChild("reading") && RunChild("tree") && RunChild("writing") ? 0 : 1;
    }
    if (part == "reading")
    {
        Reading();
    }
    else if (part == "tree")
    {
        TreeOperations();
    }
    else if (part == "writing")
    {
        Writing();
    }
    return 0;
}
