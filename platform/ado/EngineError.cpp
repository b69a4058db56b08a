#include "platform/ado/EngineError.h"

namespace ado {
namespace {

struct Explanation {
    const char* before; // the text before the file's name
    const char* after;  // and after it
};

Explanation ExplanationOf(EngineError::Trouble trouble) {
    switch (trouble) {
    case EngineError::Trouble::Locked:
        return {"账本文件“", "”正被另一个程序（也许是另一个银匣窗口）使用，暂时不能读写。"
                             "请等它用完或把它关掉，然后再试一次。"};
    case EngineError::Trouble::ReadOnlyFile:
        return {"账本文件“", "”是只读的，更改没有保存。请在文件属性中允许写入，"
                             "或把它复制到可以写入的地方，然后再试一次。"};
    case EngineError::Trouble::ReadOnlyFolder:
        return {"账本文件“", "”所在的文件夹不允许写入，更改没有保存。请允许写入这个文件夹，"
                             "或把账本移到可以写入的文件夹，然后再试一次。"};
    case EngineError::Trouble::DiskFull:
        return {"存放账本文件“", "”的磁盘已满，更改没有保存。请删除一些不用的文件腾出空间，"
                                 "然后再试一次。"};
    case EngineError::Trouble::Damaged:
        return {"账本文件“", "”已损坏，无法读取。请先不要再往里记账，用最近的备份恢复账本。"};
    case EngineError::Trouble::Missing:
        return {"找不到账本文件“", "”。请确认它没有被移动、改名或删除，然后再试一次。"};
    case EngineError::Trouble::ForeignTrigger:
        return {"账本文件“", "”里有一个不是银匣建的触发器，它会在每次记账时暗中改动记录，"
                             "所以没有打开这个账本。请用 SQLite 工具删掉这个触发器，"
                             "或从备份恢复账本。"};
    case EngineError::Trouble::DiskError:
        break;
    }
    return {"读写账本文件“", "”时磁盘出错。请检查磁盘或网络连接，然后再试一次。"};
}

} // namespace

const char* const EngineError::kSource = "Coffer SQLite Engine";

ComError EngineError::Make(HRESULT code, const std::string& description) {
    return ComError(code, kSource, description);
}

ComError EngineError::Explain(HRESULT code, Trouble trouble, const std::string& location,
                              const std::string& engineText) {
    const Explanation explanation = ExplanationOf(trouble);
    return Make(code, explanation.before + location + explanation.after + "（引擎信息：" +
                          engineText + "）");
}

} // namespace ado
