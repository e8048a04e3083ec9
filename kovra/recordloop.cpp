#include "recordloop.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/interrupt.h"

namespace kovra {

namespace {

using platform::InputFile;
using platform::OutputFile;
using platform::Reporter;

constexpr std::size_t kBlockRecords = 1024;
constexpr std::size_t kBlockBytes = 256 * 1024;
constexpr uint64_t kSmallInput = 256 * 1024;  // below this one thread converts

// Blocks read ahead of the one being handed on: two for each worker, so that
// none waits for the reader, and two more while the reader writes one out.
constexpr std::size_t blocksInFlight(unsigned threads) { return 2 * std::size_t{threads} + 2; }

// Where a record stands: its line, the column of the comma it follows on that
// line (0 when it starts the line), and of the comma that ends it (0 when the
// line end does).
struct RecordStart {
    long line;
    long afterComma;
    long endingComma = 0;
};

// A record: where it starts in the input, and its text.
struct Record {
    RecordStart start;
    std::string_view text;
};

// The records of the input. An empty line (nothing, or only blanks) is no
// record; the text after a comma is one, even when it is empty.
class RecordSource {
public:
    explicit RecordSource(InputFile& input) : input_(input) {}

    bool atEnd()
    {
        input_.skipEmptyLines();
        return input_.atEnd();
    }
    // Where the next record stands; its text is appended to text.
    RecordStart next(std::string& text)
    {
        RecordStart start{input_.lineNumber(), input_.endingComma()};
        input_.readFieldInto(text, kMaxRecordLength + 1);
        start.endingComma = input_.endingComma();
        return start;
    }

private:
    InputFile& input_;
};

MessagePlace placeOf(const RecordStart& start, const std::string& inputName)
{
    return {inputName, start.line, start.afterComma, start.endingComma};
}

// Hands each record's messages and line on, in input order, and keeps the
// loop's result up to date. An interruption is noticed here, record by record.
class RecordSink {
public:
    RecordSink(InputFile& input, OutputFile& output, const Reporter& report, platform::ProgressLine& progress,
               LoopResult& result)
        : input_(input), output_(output), report_(report), progress_(progress), result_(result)
    {
    }

    // False when the record ended the run.
    bool take(const RecordResult& converted, long line)
    {
        platform::throwIfInterrupted();
        for (const std::string& message : converted.messages) report_(message);
        RunCount& count = result_.count;
        ++count.records;
        count.warnings += converted.warnings;
        if (converted.endsRun) {
            result_.endedEarly = true;
            result_.lastLine = line;
            return false;
        }
        if (converted.line) {
            output_.writeLine(*converted.line, line);
            ++count.converted;
        }
        result_.lastLine = line;
        progress_.update(count.records, input_.bytesConsumed());
        return true;
    }

private:
    InputFile& input_;
    OutputFile& output_;
    const Reporter& report_;
    platform::ProgressLine& progress_;
    LoopResult& result_;
};

// What the loop converts with: the converter, and the input's name for the
// places of the records.
struct Conversion {
    const RecordConverter& convert;
    const std::string& inputName;

    RecordResult operator()(std::string_view record, const RecordStart& start) const
    {
        return convert(record, placeOf(start, inputName));
    }
};

void convertSerially(const Conversion& convert, RecordSource& source, RecordSink& sink)
{
    std::string text;
    text.reserve(kMaxRecordLength + 1);  // no memory runs out with a record half read
    while (!source.atEnd()) {
        text.clear();
        const RecordStart start = source.next(text);
        if (!sink.take(convert(text, start), start.line)) return;
    }
}

// A block of records and, once a worker is done with it, their results. The
// records' texts are kept one after another in one string.
struct Block {
    std::string text;
    std::vector<Record> records;
    std::vector<RecordResult> results;
    std::exception_ptr failure;  // what ended the worker's conversion of it
    bool done = false;
};

// Worker threads that convert blocks. They share the conversion, which
// nothing changes while they run.
class Workers {
public:
    // Starts as many of count threads as the system lets it. The list of
    // threads has its room before the first one starts, and nothing thrown
    // while they start leaves the constructor: a running thread whose object
    // is destroyed would end the program.
    // The threads receive no interruption: the reader, which may wait for
    // the input, does.
    Workers(unsigned count, const Conversion& convert) : convert_(convert)
    {
        platform::withoutInterrupts([&] {
            try {
                threads_.reserve(count);
                for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                // No more threads (a process limit, no memory for a stack): the run goes on with those it has.
            } catch (const std::bad_alloc&) {
                // No memory for the list or a thread's state: the same.
            }
        });
    }
    unsigned count() const { return static_cast<unsigned>(threads_.size()); }
    // Blocks still queued are dropped: the run no longer needs them.
    ~Workers()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            queue_.clear();
        }
        queued_.notify_all();
        for (std::thread& t : threads_) t.join();
    }

    void submit(const std::shared_ptr<Block>& block)
    {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(block);
        }
        queued_.notify_one();
    }

    void waitFor(const Block& block)
    {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] { return block.done; });
    }

private:
    void work()
    {
        for (;;) {
            std::shared_ptr<Block> block;
            {
                std::unique_lock lock(mutex_);
                queued_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
                if (stopping_) return;
                block = std::move(queue_.front());
                queue_.pop_front();
            }
            convert(*block);
            {
                std::lock_guard lock(mutex_);
                block->done = true;
            }
            finished_.notify_all();
        }
    }

    // Whatever the conversion throws goes back to the reader with the block.
    void convert(Block& block)
    {
        try {
            block.results.reserve(block.records.size());
            for (const Record& record : block.records)
                block.results.push_back(convert_(record.text, record.start));
        } catch (...) {
            block.failure = std::current_exception();
        }
    }

    const Conversion& convert_;
    std::mutex mutex_;
    std::condition_variable queued_, finished_;
    std::deque<std::shared_ptr<Block>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

// The blocks read and not yet handed on, in input order, and how reading ended.
struct Reading {
    std::deque<std::shared_ptr<Block>> held;
    bool ended = false;               // at the end of the input, or at a failed read
    std::exception_ptr failure;       // that failed read, raised once every block before it is handed on
};

// Reads the next block of records. Its room is had before anything is read,
// so that running out of memory loses no record read half.
std::shared_ptr<Block> readBlock(RecordSource& source, Reading& reading)
{
    auto block = std::make_shared<Block>();
    block->text.reserve(kBlockBytes + kMaxRecordLength + 1);
    block->records.reserve(kBlockRecords);
    std::vector<std::pair<RecordStart, std::size_t>> ends;  // where each record starts, and where its text ends
    ends.reserve(kBlockRecords);
    try {
        while (ends.size() < kBlockRecords && block->text.size() < kBlockBytes) {
            if (source.atEnd()) {
                reading.ended = true;
                break;
            }
            const RecordStart start = source.next(block->text);
            ends.emplace_back(start, block->text.size());
        }
    } catch (const platform::ReadFailure&) {
        reading.failure = std::current_exception();
        reading.ended = true;
    }
    // The text no longer moves: the records can point into it.
    std::size_t start = 0;
    for (const auto& [recordStart, end] : ends) {
        block->records.push_back({recordStart, std::string_view(block->text).substr(start, end - start)});
        start = end;
    }
    return block;
}

// How a stretch of the conversion on worker threads ended.
enum class WorkersEnd {
    kInputEnded,    // every record read is handed on
    kRunEnded,      // a record ended the run
    kShortOfMemory, // the workers' memory could not be had: the blocks held are left to convert
};

// The reader fills blocks and keeps a few of them with the workers; the
// results are handed on block by block in input order; a block leaves
// reading.held once it is handed on. Memory that runs out for a block or on
// a worker ends the stretch, the records not handed on still held; memory
// that runs out while a block is handed on ends the run (std::bad_alloc).
WorkersEnd convertOnWorkers(RecordSource& source, RecordSink& sink, Workers& workers, Reading& reading)
{
    for (;;) {
        try {
            while (!reading.ended && reading.held.size() < blocksInFlight(workers.count())) {
                std::shared_ptr<Block> block = readBlock(source, reading);
                if (block->records.empty()) break;
                reading.held.push_back(block);
                workers.submit(block);
            }
        } catch (const std::bad_alloc&) {
            return WorkersEnd::kShortOfMemory;
        }
        if (reading.held.empty()) return WorkersEnd::kInputEnded;
        const Block& block = *reading.held.front();
        workers.waitFor(block);
        if (block.failure) {
            try {
                std::rethrow_exception(block.failure);
            } catch (const std::bad_alloc&) {
                return WorkersEnd::kShortOfMemory;
            }
        }
        for (std::size_t i = 0; i < block.results.size(); ++i)
            if (!sink.take(block.results[i], block.records[i].start.line)) return WorkersEnd::kRunEnded;
        reading.held.pop_front();
    }
}

// Converts the records of the blocks held on this thread; false when a
// record ended the run.
bool convertHeld(const Conversion& convert, Reading& reading, RecordSink& sink)
{
    for (; !reading.held.empty(); reading.held.pop_front()) {
        Block& block = *reading.held.front();
        block.results = {};  // what a worker made of it is not needed: its memory is
        for (const Record& record : block.records)
            if (!sink.take(convert(record.text, record.start), record.start.line)) return false;
    }
    return true;
}

// Converts on as many of threads workers as can be started and have their
// memory; when it runs short, the workers stop, the blocks read are
// converted here, and the rest goes on with half as many, down to the serial
// loop. A failed read is raised once every record read before it is handed
// on, as in the serial loop; a record that ends the run discards what was
// converted after it.
void convertInParallel(const Conversion& convert, RecordSource& source, RecordSink& sink, unsigned threads)
{
    Reading reading;
    while (threads > 1 && !reading.ended && !source.atEnd()) {
        WorkersEnd end;
        {
            Workers workers(threads, convert);
            if (workers.count() == 0) break;
            threads = workers.count() / 2;
            end = convertOnWorkers(source, sink, workers, reading);
        }  // the workers stopped: no block held is theirs any more
        if (end == WorkersEnd::kRunEnded || !convertHeld(convert, reading, sink)) return;
    }
    if (reading.failure) std::rethrow_exception(reading.failure);
    if (!reading.ended) convertSerially(convert, source, sink);
}

}  // namespace

ThreadChoice conversionThreads(const InputFile& input)
{
    ThreadChoice choice{0, {}};
    if (const char* setting = std::getenv("KOVRA_THREADS")) {
        char* end = nullptr;
        errno = 0;
        const long threads = std::strtol(setting, &end, 10);
        const bool whole = end != setting && *end == '\0' && errno == 0;
        if (whole && threads >= 1 && threads <= static_cast<long>(kMaxThreads)) return {static_cast<unsigned>(threads), {}};
        choice.warning = "warning: KOVRA_THREADS is \"" + std::string(setting) + "\", not a whole number from 1 to " +
                         std::to_string(kMaxThreads) + ": it is ignored";
    }
    const std::optional<uint64_t> size = input.regularFileSize();
    choice.count = size && *size < kSmallInput ? 1 : std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
    return choice;
}

void convertRecords(const std::string& inputName, const RecordConverter& convert, InputFile& input,
                    OutputFile& output, const Reporter& report, platform::ProgressLine& progress, unsigned threads,
                    LoopResult& result)
{
    const Conversion conversion{convert, inputName};
    RecordSource source(input);
    RecordSink sink(input, output, report, progress, result);
    if (threads <= 1) return convertSerially(conversion, source, sink);
    convertInParallel(conversion, source, sink, threads);
}

}  // namespace kovra
