// The project's list of reports, in the order they were registered.
#pragma once

#include "model/uqlClasses.h"

#include <vector>

class TqlReports : public TInterfacedObject, public IqlReports {
public:
    int Add(const Ref<IqlReport>& Report) override;
    // Clears every report's rows, in list order.
    void ClearAll() override;
    int GetCount() override { return static_cast<int>(FItems.size()); }
    // The first report whose name equals Name when the case of A to Z is
    // ignored; nil when none does.
    Ref<IqlReport> FindByName(const std::string& Name) override;
    // Raises EListError for an index out of range.
    Ref<IqlReport> GetItem(int Index) override;
    bool Remove(const Ref<IqlReport>& Report) override;

private:
    std::vector<Ref<IqlReport>> FItems;
};
