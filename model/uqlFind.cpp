#include "model/uqlFind.h"

namespace {
unsigned char Fold(unsigned char C, bool CaseSensitive)
{
    if (!CaseSensitive && C >= 'a' && C <= 'z')
        return static_cast<unsigned char>(C - ('a' - 'A'));
    return C;
}

// Ordinal comparison, a proper prefix sorting first.
int CompareStrings(const std::string& A, const std::string& B, bool CaseSensitive)
{
    const size_t N = A.size() < B.size() ? A.size() : B.size();
    for (size_t i = 0; i < N; ++i) {
        const unsigned char C = Fold(static_cast<unsigned char>(A[i]), CaseSensitive);
        const unsigned char D = Fold(static_cast<unsigned char>(B[i]), CaseSensitive);
        if (C != D)
            return C < D ? -1 : 1;
    }
    if (A.size() == B.size())
        return 0;
    return A.size() < B.size() ? -1 : 1;
}
} // namespace

bool Find(IqlFindable* Findable, const std::string& Text, int& Index, bool CaseSensitive)
{
    bool Result = false;
    int Lo = 0;
    int Hi = Findable ? Findable->GetCount() - 1 : -1;
    while (Lo <= Hi) {
        // Written so that it cannot overflow for any pair of valid indexes.
        const int I = Lo + (Hi - Lo) / 2;
        const int C = CompareStrings(Findable->GetString(I), Text, CaseSensitive);
        if (C < 0)
            Lo = I + 1;
        else {
            Hi = I - 1;
            if (C == 0)
                Result = true;
        }
    }
    Index = Lo;
    return Result;
}
