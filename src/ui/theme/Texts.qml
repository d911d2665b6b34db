pragma Singleton
import QtQml
import Velmora.Native

// Every visible text of a view comes from here: Texts.t(englishKey, [arguments]), and
// Texts.plural(englishKey, count) for a text that changes with a count.
// Reading the revision makes each binding that calls t() run again after a language change.
QtObject {
    function t(key, args) {
        VelmoraLanguage.revision
        return VelmoraLanguage.text(key, args === undefined ? [] : args)
    }
    function plural(key, count) {
        VelmoraLanguage.revision
        return VelmoraLanguage.plural(key, count)
    }
}
