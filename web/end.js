    var names = [], labels = {};
    for (var f = 0; f < FACTS.length; f++) {
        names.push(FACTS[f][0]);
        labels[FACTS[f][0]] = FACTS[f][1];
    }

    return {
        facts: names,
        labels: labels,
        releases: RELEASES,
        readSpec: readSpec,
        check: check,
        verdicts: verdicts,
        canLaunch: canLaunch,
        launch: launch,
        link: link,
        companion: companion
    };
})(this);
