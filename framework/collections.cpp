#include "framework/collections.h"

namespace ql_collections_detail {

void ThrowBadIndex()
{
    AfxThrowInvalidArgException();
}

void ThrowNoMemory()
{
    AfxThrowMemoryException();
}

} // namespace ql_collections_detail
