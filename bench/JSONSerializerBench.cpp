// Reading documents of 1 MiB and 16 MiB (UTF-16) of four shapes into a Tree, against
// RapidJSON's DOM parse of the same text where the build found it, and writing a document of
// many small members. Run by hand: build/mingw-x64/bin/JSONSerializerBench.exe under Wine.
#include <JSONSerializer.h>

#ifdef KELVO_BENCH_RAPIDJSON
#include <rapidjson/document.h>
#endif

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
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

} // namespace

int main()
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
    std::printf("%-26s %6s %10s %9s %12s %10s %16s\n", "shape", "size", "ours ms", "MB/s", "RapidJSON ms",
                "ours/Rapid", "16 MiB / 1 MiB");
    for (const Shape& shape : shapes)
    {
        double small = 0;
        for (std::size_t mebibytes : { std::size_t(1), std::size_t(16) })
        {
            const std::wstring text = shape.make(mebibytes * MiB);
            const double ours = Ours(text);
            const double rapid = RapidJson(text);
            small = mebibytes == 1 ? ours : small;
            char scale[32] = "";
            if (mebibytes == 16)
            {
                std::snprintf(scale, sizeof(scale), "%.1f", ours / small);
            }
            std::printf("%-26s %3zu MiB %10.1f %9.1f %12.1f %10.1f %16s\n", shape.name, mebibytes, ours,
                        MBs(text.size(), ours), rapid, rapid > 0 ? ours / rapid : 0.0, scale);
        }
    }

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
    return 0;
}
