// Column fitting of the report grids: the columns always fill the width.
#include "desktop/uqlStringTreeEx.h"

#include <QTest>

#include <numeric>
#include <random>

namespace {

int Sum(const std::vector<int>& W) { return std::accumulate(W.begin(), W.end(), 0); }

bool MinimumsHold(const std::vector<int>& W, const std::vector<int>& Min)
{
    for (size_t I = 0; I < W.size(); ++I)
        if (W[I] < Min[I])
            return false;
    return true;
}

} // namespace

class TColumnFitTest : public QObject {
    Q_OBJECT
private slots:
    void Table()
    {
        const struct {
            const char* Name;
            std::vector<int> Widths, Min;
            int Client, Col;
            std::vector<int> Expected;
        } Cases[] = {
            {"already fitting", {80, 80, 80}, {10, 10, 10}, 240, -1, {80, 80, 80}},
            {"grow evenly", {80, 80, 80}, {10, 10, 10}, 270, -1, {90, 90, 90}},
            {"rounding left to the last", {80, 80, 80}, {10, 10, 10}, 247, -1, {82, 82, 83}},
            {"far side only", {100, 80, 80}, {10, 10, 10}, 240, 0, {100, 70, 70}},
            {"last column: the ones before it", {80, 80, 100}, {10, 10, 10}, 240, 2, {70, 70, 100}},
            {"minimum pins, others absorb", {80, 20, 80}, {10, 20, 10}, 150, -1, {65, 20, 65}},
            {"single column", {80}, {10}, 300, -1, {300}},
            {"single column dragged stays", {80}, {10}, 300, 0, {80}},
        };
        for (const auto& C : Cases) {
            std::vector<int> W = C.Widths;
            std::vector<float> Exact;
            qlFitColumns(W, C.Min, Exact, C.Client, C.Col);
            QVERIFY2(W == C.Expected, C.Name);
        }
    }

    void RandomResizesNeitherDriftNorBreakMinimums()
    {
        std::mt19937 Random(17);
        const std::vector<int> Min = {10, 20, 10, 40, 10, 10};
        std::vector<int> W = {80, 80, 80, 80, 80, 80};
        std::vector<float> Exact;
        const int Start = Sum(W);
        for (int Step = 0; Step < 1000; ++Step) {
            const int Client = std::uniform_int_distribution<int>(Sum(Min), 2000)(Random);
            qlFitColumns(W, Min, Exact, Client, -1);
            QCOMPARE(Sum(W), Client);
            QVERIFY(MinimumsHold(W, Min));
        }
        // Growing and shrinking by the same steps comes back to equal columns.
        W = {80, 80, 80, 80, 80, 80};
        Exact.clear();
        std::vector<int> Steps;
        for (int I = 0; I < 1000; ++I)
            Steps.push_back(std::uniform_int_distribution<int>(-7, 7)(Random));
        int Client = Start;
        for (int D : Steps) {
            Client = std::clamp(Client + D, 400, 900);
            qlFitColumns(W, Min, Exact, Client, -1);
        }
        qlFitColumns(W, Min, Exact, Start, -1);
        for (int X : W)
            QVERIFY2(std::abs(X - 80) <= 1, qPrintable(QString("%1 %2 %3 %4 %5 %6").arg(W[0]).arg(W[1]).arg(W[2]).arg(W[3]).arg(W[4]).arg(W[5])));
    }

    void UserDragKeepsTotal()
    {
        std::mt19937 Random(3);
        const std::vector<int> Min(5, 10);
        std::vector<int> W = {100, 100, 100, 100, 100};
        std::vector<float> Exact;
        for (int Step = 0; Step < 1000; ++Step) {
            const int Col = std::uniform_int_distribution<int>(0, 4)(Random);
            W[Col] = std::max(10, W[Col] + std::uniform_int_distribution<int>(-30, 30)(Random));
            std::vector<int> Limit = W;
            qlFitColumns(W, Min, Exact, 500, Col);
            QVERIFY(MinimumsHold(W, Min));
            // Only the dragged column's far side moves (unless it is the last).
            if (Sum(W) == 500 && Col < 4)
                for (int I = 0; I <= Col; ++I)
                    QCOMPARE(W[I], Limit[I]);
        }
    }
};

QTEST_GUILESS_MAIN(TColumnFitTest)
#include "test_columnfit.moc"
