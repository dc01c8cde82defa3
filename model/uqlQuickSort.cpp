#include "model/uqlQuickSort.h"

void QuickSort(IqlQuickSortable* Sortable, int L, int R)
{
    if (!Sortable || R <= L)
        return;
    int I;
    do {
        I = L;
        int J = R;
        int P = L + (R - L) / 2;
        do {
            while (I != P && Sortable->Compare(I, P) < 0)
                ++I;
            while (J != P && Sortable->Compare(J, P) > 0)
                --J;
            if (I <= J) {
                if (I != J)
                    Sortable->Exchange(I, J);
                // The pivot's index follows the pivot item.
                if (P == I)
                    P = J;
                else if (P == J)
                    P = I;
                ++I;
                --J;
            }
        } while (I <= J);
        if (L < J)
            QuickSort(Sortable, L, J);
        L = I;
    } while (I < R);
}
