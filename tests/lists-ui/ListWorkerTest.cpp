// The list windows' worker as a window uses it, with the hand-overs between the two threads the
// thread sanitizer watches: what a job writes is the window's to read once `finished` is heard;
// a job's messages appear on the window's thread with their answers reaching the job; the end of
// a job replaced by a newer one is never heard as the newer one's end; destroying the worker
// while its job waits for an answer neither hangs nor reports the end.
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <memory>
#include <vector>

#include "foundation/ScriptedPrompter.h"
#include "lists/ui/ListWorker.h"

using namespace shelfmark;

namespace {

// Records which thread each message arrives on, then answers as the script says.
class ThreadCheckingPrompter : public ScriptedPrompter {
  public:
    PromptAnswer show(const PromptMessage& message) override {
        threads.push_back(QThread::currentThread());
        return ScriptedPrompter::show(message);
    }
    std::optional<std::string> askText(const TextRequest& request) override {
        threads.push_back(QThread::currentThread());
        return ScriptedPrompter::askText(request);
    }
    std::vector<QThread*> threads;
};

}  // namespace

class ListWorkerTest : public QObject {
    Q_OBJECT

  private slots:
    void resultsAndProgressAreTheWindowsOnceFinishedIsHeard() {
        ListWorker worker;
        ScriptedPrompter prompter;
        std::vector<uint64_t> made;  // written by the job, read by the window
        std::vector<QThread*> progressThreads;
        qulonglong lastDone = 0;
        qulonglong lastTotal = 0;
        connect(&worker, &ListWorker::progress, this, [&](qulonglong done, qulonglong total) {
            progressThreads.push_back(QThread::currentThread());
            lastDone = done;
            lastTotal = total;
        });
        size_t seenAtEnd = 0;
        connect(&worker, &ListWorker::finished, this, [&] { seenAtEnd = made.size(); });
        QSignalSpy finished(&worker, &ListWorker::finished);
        constexpr size_t kRows = 200'000;
        worker.start(
            [&](const CancelFlag&, const ListWorker::Progress& progress, Prompter&) {
                for (size_t row = 0; row < kRows; ++row) {
                    made.push_back(row * row);
                    progress(row + 1, kRows);
                }
            },
            prompter);
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!worker.running());
        QCOMPARE(seenAtEnd, kRows);
        QCOMPARE(made.back(), uint64_t(kRows - 1) * (kRows - 1));
        // The last report always arrives, and every report on the window's thread.
        QCOMPARE(lastDone, qulonglong(kRows));
        QCOMPARE(lastTotal, qulonglong(kRows));
        for (QThread* thread : progressThreads)
            QCOMPARE(thread, QThread::currentThread());
    }

    void messagesAreShownOnTheWindowsThreadAndAnswered() {
        ListWorker worker;
        ThreadCheckingPrompter prompter;
        prompter.queueAnswer(PromptAnswer::No);
        prompter.queueAnswer(PromptAnswer::Yes);
        prompter.queueText(std::string("typed"));
        std::vector<bool> answers;
        std::optional<std::string> text;
        QSignalSpy finished(&worker, &ListWorker::finished);
        worker.start(
            [&](const CancelFlag&, const ListWorker::Progress&, Prompter& asked) {
                answers.push_back(asked.askYesNo("first?"));
                answers.push_back(asked.askYesNo("second?"));
                text = asked.askText({"caption", "label", "", false});
                asked.error("done");
            },
            prompter);
        QVERIFY(finished.wait(20000));
        QCOMPARE(answers, (std::vector<bool>{false, true}));
        QCOMPARE(text, std::optional<std::string>("typed"));
        QCOMPARE(prompter.shownTexts(), (std::vector<std::string>{"first?", "second?", "done"}));
        QCOMPARE(prompter.threads.size(), size_t(4));
        for (QThread* thread : prompter.threads)
            QCOMPARE(thread, QThread::currentThread());
    }

    void aReplacedJobsEndIsNotHeardAsTheNewOnes() {
        ListWorker worker;
        ScriptedPrompter prompter;
        int ends = 0;
        int valueAtEnd = -1;
        int value = 0;  // written by each job in turn
        connect(&worker, &ListWorker::finished, this, [&] {
            ++ends;
            valueAtEnd = value;
        });
        // The first job ends, but its end is still queued when the second starts (the window's
        // Start is enabled again as soon as the job has returned).
        worker.start([&](const CancelFlag&, const ListWorker::Progress&, Prompter&) { value = 1; }, prompter);
        while (worker.running())  // no events handled meanwhile: the end stays queued
            QThread::msleep(1);
        std::atomic<bool> release{false};
        worker.start(
            [&](const CancelFlag& cancel, const ListWorker::Progress&, Prompter&) {
                while (!release.load() && !cancel.isSet())
                    QThread::msleep(1);
                value = 2;
            },
            prompter);
        // The first job's end arrives now: it must not be taken for the second job's.
        QTest::qWait(50);
        QCOMPARE(ends, 0);
        QVERIFY(worker.running());
        release.store(true);
        QTRY_COMPARE_WITH_TIMEOUT(ends, 1, 20000);
        QCOMPARE(valueAtEnd, 2);
        QTest::qWait(20);
        QCOMPARE(ends, 1);
    }

    void destroyedWhileTheJobWaitsForAnAnswer() {
        ThreadCheckingPrompter prompter;
        prompter.queueAnswer(PromptAnswer::Yes);
        std::atomic<bool> asking{false};
        bool answered = false;
        bool sawCancel = false;
        int ends = 0;
        {
            ListWorker worker;
            connect(&worker, &ListWorker::finished, this, [&] { ++ends; });
            worker.start(
                [&](const CancelFlag& cancel, const ListWorker::Progress&, Prompter& asked) {
                    asking.store(true);
                    answered = asked.askYesNo("go on?");
                    sawCancel = cancel.isSet();
                },
                prompter);
            while (!asking.load())
                QThread::msleep(1);
            // The question is queued to this thread, which is busy closing the window: the
            // worker still answers it before it goes.
        }
        QVERIFY(answered);
        QVERIFY(sawCancel);
        QCOMPARE(ends, 0);
        QCOMPARE(prompter.threads, std::vector<QThread*>{QThread::currentThread()});
    }

    void waitThenStartAgainRunsEachJobOnce() {
        // The item list window's own wait (waitForList) followed by a new Start, many times over.
        ListWorker worker;
        ScriptedPrompter prompter;
        int ends = 0;
        connect(&worker, &ListWorker::finished, this, [&] { ++ends; });
        std::atomic<int> runs{0};
        for (int i = 0; i < 50; ++i) {
            worker.start(
                [&](const CancelFlag&, const ListWorker::Progress& progress, Prompter&) {
                    progress(1, 1);
                    runs.fetch_add(1);
                },
                prompter);
            worker.wait();
            QCoreApplication::sendPostedEvents(&worker);
        }
        QCOMPARE(runs.load(), 50);
        QCOMPARE(ends, 50);
    }
};

QTEST_MAIN(ListWorkerTest)
#include "ListWorkerTest.moc"
