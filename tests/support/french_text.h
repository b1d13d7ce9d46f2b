// French prose in code page 1252 for round-trip tests and benchmarks: real
// sentences, shuffled with a fixed seed so a long text does not simply repeat.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

inline const std::vector<std::string>& FrenchSentences() {
  static const std::vector<std::string> sentences = {
      "Le vieux port s'\xE9veillait doucement sous une lumi\xE8re d'un gris perle.",
      "Les p\xEA" "cheurs rangeaient leurs filets en parlant du temps qu'il ferait demain.",
      "\xC0 l'angle de la rue, une boulangerie laissait \xE9" "chapper l'odeur du pain chaud.",
      "Personne ne savait vraiment depuis combien d'ann\xE9" "es la fontaine ne coulait plus.",
      "Elle ouvrit la fen\xEAtre, respira l'air sal\xE9 et d\xE9" "cida de partir avant midi.",
      "Le train pour Lyon avait du retard, comme presque tous les jeudis de l'hiver.",
      "Nous avons travers\xE9 la for\xEAt en silence, attentifs au moindre craquement.",
      "Son grand-p\xE8re racontait volontiers la crue de la Seine et les barques dans les rues.",
      "\xC7" "a ne co\xFBte rien d'essayer, r\xE9p\xE9tait-il, mais \xE7" "a co\xFBte cher de regretter.",
      "La biblioth\xE8que municipale ferme ses portes \xE0 dix-huit heures pr\xE9" "cises.",
      "Un chat roux dormait sur le rebord du puits, indiff\xE9rent aux passants.",
      "Les \xE9l\xE8ves de la classe de Mme Lef\xE8vre ont plant\xE9 trois ch\xEAnes dans la cour.",
      "\xAB Encore un effort \xBB, dit l'entra\xEEneur, et le peloton repartit vers la c\xF4te.",
      "On entendait au loin les cloches de l'\xE9glise Saint-Pierre sonner les v\xEApres.",
      "Le mus\xE9" "e des Beaux-Arts pr\xE9sente cet \xE9t\xE9 une exposition consacr\xE9" "e aux paysages.",
      "Il faut deux heures de marche pour atteindre le refuge, puis une heure pour le sommet.",
      "La recette demande du beurre sal\xE9, des pommes reinettes et une pinc\xE9" "e de cannelle.",
      "Apr\xE8s la pluie, les escargots envahissaient les all\xE9" "es du potager.",
      "Le ma\xEEtre d'h\xF4tel nous conduisit \xE0 une table pr\xE8s de la chemin\xE9" "e.",
      "\xD4 surprise, le facteur apportait enfin la lettre tant attendue de Qu\xE9" "bec.",
      "Les rues pav\xE9" "es du quartier m\xE9" "di\xE9val r\xE9sonnaient sous les sabots des chevaux.",
      "Quelqu'un avait laiss\xE9 un parapluie bleu contre la grille du jardin public.",
      "Nous nous sommes donn\xE9 rendez-vous devant la gare, sous la grande horloge.",
      "Cette ann\xE9" "e-l\xE0, la r\xE9" "colte de lavande fut exceptionnelle en Provence.",
      "Le capitaine consulta la carte, fron\xE7" "a les sourcils et changea de cap vers l'\xEEle.",
      "\xC9" "crire chaque matin une page, voil\xE0 la seule r\xE8gle qu'elle s'\xE9tait fix\xE9" "e.",
      "Les for\xEAts des Vosges se couvrent de neige d\xE8s le d\xE9" "but de d\xE9" "cembre.",
      "Pierre et Marie ont r\xE9nov\xE9 la grange pour en faire un atelier de poterie.",
      "Sur le march\xE9, on trouvait des fromages de ch\xE8vre, du miel et des c\xE8pes.",
      "Le phare de l'\xEEle de Sein guide les navires depuis plus d'un si\xE8" "cle.",
      "Elle relut la derni\xE8re phrase, sourit, puis referma doucement le cahier.",
      "Au bout du chemin se dressait une chapelle romane aux murs couverts de lierre.",
  };
  return sentences;
}

// `size` bytes of words of those sentences in random order, with their
// punctuation: close to ordinary prose in how well it packs.
inline std::string FrenchWords(std::size_t size, std::uint32_t seed = 1234) {
  std::vector<std::string> words;
  for (const std::string& sentence : FrenchSentences()) {
    std::size_t start = 0;
    while (start < sentence.size()) {
      std::size_t end = sentence.find(' ', start);
      if (end == std::string::npos) end = sentence.size();
      words.push_back(sentence.substr(start, end - start));
      start = end + 1;
    }
  }
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
  std::string text;
  while (text.size() < size) {
    text += words[pick(random)];
    text += random() % 13 == 0 ? "\r\n" : " ";
  }
  text.resize(size);
  return text;
}

// `size` bytes of whole sentences in random order (the last one cut).
inline std::string FrenchText(std::size_t size, std::uint32_t seed = 1234) {
  const std::vector<std::string>& sentences = FrenchSentences();
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> pick(0, sentences.size() - 1);
  std::string text;
  while (text.size() < size) {
    text += sentences[pick(random)];
    text += random() % 5 == 0 ? "\r\n" : " ";
  }
  text.resize(size);
  return text;
}
