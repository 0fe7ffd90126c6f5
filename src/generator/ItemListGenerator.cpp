#include "generator/ItemListGenerator.h"

#include "generator/SplitMix64.h"

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <unicode/ucnv.h>
#include <unordered_set>
#include <vector>

namespace shopkeeper::generator {

namespace {

// Draws from the shared sequence, with the picks the item names need.
class Random : public SplitMix64
{
public:
    using SplitMix64::SplitMix64;
    template <typename List> std::string_view pick(const List& list)
    {
        return list[static_cast<std::size_t>(below(list.size()))];
    }
    template <typename T> void shuffle(std::vector<T>& items)
    {
        for (std::size_t i = items.size(); i > 1; --i)
            std::swap(items[i - 1], items[static_cast<std::size_t>(below(i))]);
    }
};

// Our own item vocabulary, in the style of a Chinese fantasy game.
constexpr std::array kQualities = {"【精良】", "【稀有】", "【史诗】", "【传说】", "【神器】", "【限时】",
                                   "【活动】", "【绑定】", "【周年】", "【新春】", "【试炼】", "【远古】"};
constexpr std::array kAdjectives = {
    "炽炎", "寒霜", "雷鸣", "幽冥", "苍穹", "破军", "青龙", "白虎", "朱雀", "玄武", "紫电", "流云",
    "碧落", "星辰", "烈阳", "皓月", "暗影", "圣光", "狂风", "惊涛", "天罡", "地煞", "无双", "逍遥",
    "凌霄", "昆仑", "蓬莱", "赤焰", "冰魄", "飞羽", "金乌", "玉兔", "龙吟", "虎啸", "凤鸣", "麒麟",
    "鬼泣", "灵犀", "太虚", "混元", "乾坤", "八荒", "九幽", "天机", "血煞", "碎星", "断魂", "追风",
    "逐日", "踏雪", "千机", "万象", "归墟", "落霞", "沧海", "鸿蒙", "灵动", "坚毅", "迅捷", "沉稳",
    "狂暴", "守护", "净化", "祝福", "诅咒", "古朴", "华丽", "朴素", "锋利", "厚重"};
constexpr std::array kMaterials = {"玄铁", "精钢", "秘银", "寒玉", "紫金", "青铜", "赤铜", "乌木", "檀木",
                                   "龙骨", "兽皮", "蛛丝", "云锦", "星砂", "晶石", "琉璃", "陨铁", "白银",
                                   "黄金", "翡翠", "玛瑙", "珊瑚", "骨质", "藤编", "麻布", "丝绸", "铁木"};
constexpr std::array kWeapons = {"长剑", "重剑", "短刀", "弯刀", "战斧", "长枪",  "战戟", "长弓",
                                 "短弓", "法杖", "拳套", "匕首", "双刃", "铁扇",  "古琴", "战锤",
                                 "飞镖", "长鞭", "镰刀", "权杖", "宝剑", "巨斧",  "魔杖", "灵珠",
                                 "符印", "折扇", "弩机", "战刃", "钩镰", "判官笔"};
constexpr std::array kArmour = {"战甲", "头盔", "护腕",   "战靴", "腰带", "披风", "护肩",
                                "法袍", "皮甲", "锁子甲", "斗篷", "发冠", "面具", "手套",
                                "护膝", "长袍", "软甲",   "盾牌", "圆盾", "胸甲"};
constexpr std::array kJewels = {"戒指", "项链", "耳环", "手镯", "护符",
                                "玉佩", "吊坠", "徽章", "宝珠", "香囊"};
constexpr std::array kPotionSizes = {"小瓶", "中瓶", "大瓶", "特大", "初级",
                                     "中级", "高级", "超级", "强效", "浓缩"};
constexpr std::array kPotionEffects = {"生命", "法力", "体力", "怒气", "解毒", "回春", "疗伤", "清心",
                                       "力量", "敏捷", "智慧", "耐力", "抗火", "抗寒", "隐身", "疾行"};
constexpr std::array kPotions = {"药水", "药剂", "丹药", "灵丹", "药丸",
                                 "圣水", "仙露", "药膏", "符水", "补品"};
constexpr std::array kMaterialForms = {"碎片", "原石", "精华", "结晶", "粉末", "锭",   "残页", "羽毛",
                                       "鳞片", "兽牙", "灵草", "矿石", "丝线", "皮革", "木材", "宝石"};
constexpr std::array kScrolls = {"经验加倍卷轴", "回城卷轴", "传送符",   "强化石",     "幸运符", "洗练石",
                                 "鉴定卷轴",     "修理锤",   "扩展背包", "仓库扩充券", "改名卡", "双倍经验卡",
                                 "VIP月卡",      "VIP周卡",  "EXP药剂",  "GM祝福",     "技能书", "复活石"};
constexpr std::array kBeasts = {"战马", "白狼", "猛虎", "仙鹤", "火麒麟",
                                "云豹", "黑熊", "灵狐", "飞龙", "神鹿"};
constexpr std::array kMounts = {"坐骑", "宠物蛋", "召唤符", "缰绳", "幼崽", "灵兽"};
constexpr std::array kBoxThemes = {"新手",     "冒险者", "勇者", "英雄",     "王者", "春节", "中秋", "端午",
                                   "周年庆典", "开服",   "回归", "每日签到", "首充", "充值", "节日", "夏日"};
constexpr std::array kBoxes = {"礼包", "礼盒", "宝箱", "福袋", "锦囊", "秘藏", "宝匣"};
constexpr std::array kFashion = {"时装", "翅膀", "称号", "发型", "足迹", "光环", "头饰", "外套"};
constexpr std::array kDurations = {"(1天)", "(3天)", "(7天)", "(15天)", "(30天)", "(永久)", "(1小时)"};
constexpr std::array kOwners = {"剑圣", "药王", "铸师", "龙王", "女帝",
                                "将军", "隐士", "妖皇", "天师", "侠客"};
constexpr std::array kSuffixes = {"之魂", "之心", "之怒", "之誓", "之翼", "之眼", "之泪", "之印"};
constexpr std::array kRoman = {"Ⅰ", "Ⅱ", "Ⅲ", "Ⅳ", "Ⅴ"};

// Bytes in GBK: every character of our word lists other than ASCII takes two.
std::size_t gbkBytes(std::string_view utf8)
{
    std::size_t bytes = 0;
    for (unsigned char c : utf8) {
        if (c < 0x80)
            bytes += 1;
        else if (c >= 0xC0)
            bytes += 2; // a lead byte; continuation bytes add nothing
    }
    return bytes;
}

std::string level(Random& random)
{
    return "+" + std::to_string(1 + random.below(15));
}

std::string equipment(Random& random)
{
    std::string name;
    if (random.chance(25))
        name += random.pick(kQualities);
    if (random.chance(45))
        name += std::string(random.pick(kOwners)) + "的";
    name += random.pick(kAdjectives);
    if (random.chance(75))
        name += random.pick(kMaterials);
    const int kind = static_cast<int>(random.below(10));
    name += kind < 5 ? random.pick(kWeapons) : kind < 8 ? random.pick(kArmour) : random.pick(kJewels);
    if (random.chance(25))
        name += random.pick(kSuffixes);
    if (random.chance(40))
        name += level(random);
    else if (random.chance(10))
        name += random.pick(kRoman);
    return name;
}

std::string potion(Random& random)
{
    std::string name;
    if (random.chance(40))
        name += random.pick(kQualities);
    name += std::string(random.pick(kPotionSizes)) + std::string(random.pick(kPotionEffects));
    name += random.pick(kPotions);
    if (random.chance(25))
        name += "(绑定)";
    if (random.chance(20))
        name += "x" + std::to_string(5 * (1 + random.below(20)));
    return name;
}

std::string material(Random& random)
{
    std::string name;
    if (random.chance(70))
        name += random.pick(kAdjectives);
    name += std::string(random.pick(kMaterials)) + std::string(random.pick(kMaterialForms));
    if (random.chance(30))
        name += "Lv" + std::to_string(1 + random.below(99));
    return name;
}

std::string scroll(Random& random)
{
    std::string name;
    if (random.chance(30))
        name += random.pick(kQualities);
    name += random.pick(kScrolls);
    if (random.chance(75))
        name += random.pick(kDurations);
    if (random.chance(20))
        name += "x" + std::to_string(1 + random.below(99));
    return name;
}

std::string mount(Random& random)
{
    std::string name;
    if (random.chance(30))
        name += random.pick(kQualities);
    name += std::string(random.pick(kAdjectives)) + std::string(random.pick(kBeasts));
    name += random.pick(kMounts);
    if (random.chance(60))
        name += random.pick(kDurations);
    return name;
}

std::string box(Random& random)
{
    std::string name;
    if (random.chance(50))
        name += random.pick(kQualities);
    name += random.pick(kBoxThemes);
    if (random.chance(40))
        name += std::string(random.pick(kAdjectives)) + std::string(random.pick(kWeapons));
    name += random.pick(kBoxes);
    if (random.chance(50))
        name += "(" + std::to_string(10 * (1 + random.below(99))) + "级)";
    if (random.chance(10))
        name += "【内含" + std::string(random.pick(kAdjectives)) + std::string(random.pick(kArmour)) + "与" +
                std::string(random.pick(kPotionEffects)) + std::string(random.pick(kPotions)) + "】";
    return name;
}

std::string fashion(Random& random)
{
    std::string name = std::string(random.pick(kAdjectives)) + std::string(random.pick(kAdjectives));
    name += random.pick(kFashion);
    if (random.chance(50))
        name += random.pick(kDurations);
    return name;
}

std::string itemName(Random& random)
{
    const auto kind = random.below(100);
    if (kind < 42)
        return equipment(random);
    if (kind < 54)
        return potion(random);
    if (kind < 70)
        return material(random);
    if (kind < 80)
        return scroll(random);
    if (kind < 86)
        return mount(random);
    if (kind < 94)
        return box(random);
    return fashion(random);
}

constexpr std::size_t kMaxNameBytes = 65;

// count distinct decimal values with the given number of digits, sorted, drawn from [low, high].
std::vector<std::uint64_t> sortedDistinct(Random& random, std::size_t count, std::uint64_t low,
                                          std::uint64_t high)
{
    std::vector<std::uint64_t> values;
    values.reserve(count);
    while (values.size() < count) {
        while (values.size() < count)
            values.push_back(low + random.below(high - low + 1));
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
    }
    return values;
}

std::vector<std::string> makeIds(Random& random)
{
    // Digits per length chosen so that the text is exactly kSampleIdsBytes long.
    struct Band
    {
        std::size_t count;
        std::uint64_t low, high;
    };
    constexpr std::array<Band, 9> bands = {{{10, 0, 9},
                                            {90, 10, 99},
                                            {600, 100, 999},
                                            {4000, 1000, 9999},
                                            {14999, 10000, 99999}, // 39912 comes on top, twice
                                            {9145, 100000, 999999},
                                            {45132, 1000000, 9999999},
                                            {8000, 10000000, 99999999},
                                            {1999, 100000000, 690001554}}}; // 690001555 closes
    std::vector<std::string> ids;
    ids.reserve(kSampleItemCount);
    for (const auto& band : bands) {
        std::vector<std::uint64_t> values;
        if (band.high - band.low + 1 == band.count) {
            for (std::uint64_t v = band.low; v <= band.high; ++v)
                values.push_back(v);
        } else if (band.low == 10000) {
            // 39912 must be there, and not among the drawn values.
            values = sortedDistinct(random, band.count, band.low, band.high);
            if (!std::binary_search(values.begin(), values.end(), 39912u)) {
                values.erase(values.begin() + static_cast<std::ptrdiff_t>(random.below(values.size())));
                values.insert(std::lower_bound(values.begin(), values.end(), 39912u), 39912u);
            }
            values.insert(std::lower_bound(values.begin(), values.end(), 39912u), 39912u);
        } else {
            values = sortedDistinct(random, band.count, band.low, band.high);
        }
        for (auto v : values)
            ids.push_back(std::to_string(v));
    }
    ids.push_back(kSampleLastId);
    return ids;
}

std::string join(const std::vector<std::string>& entries)
{
    std::string out;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0)
            out += "\r\n";
        out += entries[i];
    }
    return out;
}

std::string toGbk(const std::string& utf8)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open("windows-936-2000", &status),
                                                                 &ucnv_close);
    if (U_FAILURE(status))
        throw std::runtime_error("ICU has no converter windows-936-2000");
    // A character that GBK cannot hold is a fault of the word lists, never a silent "?".
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::string out(utf8.size() + 16, '\0');
    status = U_ZERO_ERROR;
    const auto length =
        ucnv_fromAlgorithmic(converter.get(), UCNV_UTF8, out.data(), static_cast<int32_t>(out.size()),
                             utf8.data(), static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("GBK conversion of the item names failed: ") +
                                 u_errorName(status));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

} // namespace

ItemLists generateItemLists(std::uint64_t seed)
{
    Random random(seed);
    const auto ids = makeIds(random);

    // Repeated names: 5,000 twice, 500 three times, 154 four times; every other name once.
    constexpr std::array<std::pair<std::size_t, std::size_t>, 3> repeats = {{{5000, 2}, {500, 3}, {154, 4}}};
    std::size_t repeatedEntries = 0;
    for (auto [names, times] : repeats)
        repeatedEntries += names * times;
    const std::size_t singles = kSampleItemCount - repeatedEntries;
    const std::size_t distinct = singles + kSampleRepeatedNames;

    std::vector<std::string> unique;
    std::unordered_set<std::string> seen;
    unique.reserve(distinct);
    while (unique.size() < distinct) {
        std::string name = itemName(random);
        if (gbkBytes(name) <= kMaxNameBytes && seen.insert(name).second)
            unique.push_back(std::move(name));
    }

    // The first `singles` names occur once; of these, some carry a TAB, as the game's list has.
    std::vector<bool> padable(singles, true);
    for (std::size_t k = 0, i = 0; k < kSampleTabNames; i += 97) {
        std::string& name = unique[i];
        if (gbkBytes(name) >= kMaxNameBytes)
            continue;
        if (k % 2 == 0) {
            name += "\t";
        } else {
            std::size_t at = 0; // after the first two characters
            for (int chars = 0; chars < 2 && at < name.size(); ++chars) {
                const auto c = static_cast<unsigned char>(name[at]);
                at += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            }
            name.insert(at, "\t");
        }
        padable[i] = false;
        ++k;
    }

    // Bring the name text to its exact size by lengthening single names (never a repeated one,
    // whose copies must stay equal) with short endings that keep them distinct.
    const std::size_t target = kSampleNamesBytes - 2 * (kSampleItemCount - 1);
    std::size_t total = 0;
    std::size_t index = 0;
    for (auto [names, times] : repeats) {
        for (std::size_t n = 0; n < names; ++n, ++index)
            total += times * gbkBytes(unique[singles + index]);
    }
    for (std::size_t i = 0; i < singles; ++i)
        total += gbkBytes(unique[i]);
    if (total > target)
        throw std::runtime_error("the item word lists make names longer than the sample allows");
    constexpr std::array<std::string_view, 8> endings = {"(绑定)", "(非绑)", "(活动)", "·改",
                                                         "(旧)",   "Ⅱ",      "·真",    "2"};
    for (std::size_t step = 0; total < target; ++step) {
        if (step > 4 * singles)
            throw std::runtime_error("the item names cannot be brought to their sample size");
        const std::size_t i = (step * 7919) % singles;
        if (!padable[i])
            continue;
        for (std::size_t e = 0; e < endings.size(); ++e) {
            // Mostly the next ending in turn; the short ones close the last few bytes.
            const auto ending = endings[(e + step) % endings.size()];
            const std::size_t extra = gbkBytes(ending);
            const unsigned char last = static_cast<unsigned char>(unique[i].back());
            if (extra < 4 && (target - total >= 6 || (last >= '0' && last <= '9') || last >= 0x80))
                continue;
            std::string longer = unique[i] + std::string(ending);
            if (extra <= target - total && gbkBytes(longer) <= kMaxNameBytes && !seen.contains(longer)) {
                seen.erase(unique[i]);
                seen.insert(longer);
                unique[i] = std::move(longer);
                total += extra;
                padable[i] = false;
                break;
            }
        }
    }

    std::vector<std::string> names;
    names.reserve(kSampleItemCount);
    names.insert(names.end(), unique.begin(), unique.begin() + static_cast<std::ptrdiff_t>(singles));
    index = singles;
    for (auto [count, times] : repeats) {
        for (std::size_t n = 0; n < count; ++n, ++index)
            names.insert(names.end(), times, unique[index]);
    }
    random.shuffle(names);

    // The two entries of the duplicate ID carry different names, so that "the first one wins"
    // can be told apart; a swap keeps every count as it was.
    const auto duplicate = static_cast<std::size_t>(
        std::find(ids.begin(), ids.end(), std::string(kSampleDuplicateId)) - ids.begin());
    for (std::size_t other = 0; names[duplicate] == names[duplicate + 1]; ++other) {
        if (other != duplicate && other != duplicate + 1 && names[other] != names[duplicate])
            std::swap(names[duplicate + 1], names[other]);
    }

    return {toGbk(join(names)), join(ids)};
}

} // namespace shopkeeper::generator
